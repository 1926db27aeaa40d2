// Scripts of the host's scripted runs: one action per line, carried out through the same input a
// person uses (clicks, keys, menu picks). Lines:
//   add CODE               choose the fund in the picker and press "添加"
//   remove CODE            remove the fund through the visible page's context menu
//   clear                  press "清除对比基金"
//   tab NAME               show a page: its caption (综合对比, 业绩表现, 风险回报, 资产分布, 行业配置,
//                          走势对比, 基金筛选) or general, performance, risk, asset, industry, growth,
//                          fundfilter
//   date YYYY-MM-DD        choose a report date in the visible page's date box
//   filter VALUE           tick a value in the visible page's filter menu ("all" shows all)
//   sort FIELD asc|desc    click the column's header until it sorts that way
//   horizon N              choose the risk-return horizon of N years (1, 2, 3 or 5)
//   range R                the growth page's range: 1m, 3m, 6m, 1y, 3y, 5y, all, or FROM:TO
//                          (YYYY-MM-DD:YYYY-MM-DD) as typed into its two date boxes
//   view figures|matrix    the growth page's figures (风险指标) or correlation matrix (相关性矩阵)
//   benchmark CODE         the growth page's benchmark: an index code the database has closes of
//   follow CODE            follow a fund (the followed-funds module)
//   theme dark|light       switch the colour theme
//   click X Y              a left click at a screen point
//   move X Y               the pointer moved to a screen point (hover)
//   key NAME               a key press (Enter, Escape, Up, Down, ... or a single letter)
//   type TEXT              text typed into the focus window
//   wait MS                let the clock run (hover delays, timers)
//   screenshot FILE.png    save the screen
//   dump FILE.tsv          the cells of the visible page as displayed, titles first; on the
//                          risk-return page its stars as the star map read them
//   expect-message TEXT    the last message box shown had this text
//   export FILE            "导出..." from the visible list's context menu (a chart's "保存图片..."
//                          for FILE.png), answering the save dialog with FILE; the type follows the
//                          extension (.xlsx, .csv, .png)
//   report FILE            presses "导出报告..." and answers the save dialog with FILE (A4 landscape),
//                          then waits until the report is written
//   save-as FILE           the next save dialog is answered with FILE (then, for example, key Ctrl+S)
//   clipboard FILE         writes the text last put on the clipboard to FILE (UTF-8)
//   pick CAPTION           the next pop-up menu picks the item with this caption ("A > B" for an item
//                          of a submenu); without the line a menu reads the keys that follow
//   press CAPTION          clicks the visible button with this caption (with or without its '&')
//   expect-status TEXT     the status bar's text holds TEXT
//   opendb FILE            "数据 > 打开数据库...", answering the open dialog with FILE; the pages then
//                          read FILE
//   import FILE...         "数据 > 导入数据...", answering the open dialog with the files and folders
//                          (separated by blanks) and waiting for the import's end; on the sample a
//                          save-as line before it names the user's new database
// Keys may carry modifiers: key Ctrl+S, key Shift+Tab, key Alt+G, key Ctrl+1. Key and type lines
// that follow an input line (press, click, key, type) join its stream: a dialog that the input
// opens reads them as a person's typing ("press 对比组合", "type 组合A", "key Enter").
// Blank lines and lines starting with '#' are ignored.
#pragma once

#include <sdk/XStringW.h>

#include <optional>
#include <string>
#include <vector>

struct ScriptAction {
    enum class Kind {
        Add,
        Remove,
        Clear,
        Tab,
        Date,
        Filter,
        Sort,
        Horizon,
        Follow,
        Theme,
        Click,
        Move,
        Key,
        Type,
        Wait,
        Screenshot,
        Dump,
        ExpectMessage,
        Export,
        Report,
        SaveAs,
        Clipboard,
        Pick,
        Press,
        ExpectStatus,
        Range,
        View,
        Benchmark,
        OpenDatabase,
        Import,
    };
    Kind kind = Kind::Clear;
    int line = 0;  // 1-based, for messages
    XStringW text; // the code, name, value, file or message
    bool ascending = true;
    int number = 0;   // horizon years, wait milliseconds
    int x = 0, y = 0; // click
};

// Parses a whole script (UTF-8, a byte-order mark and CR LF line ends allowed). On the first bad
// line returns nullopt with "line N: reason" in error.
std::optional<std::vector<ScriptAction>> ParseScript(const std::string& utf8, std::string& error);
