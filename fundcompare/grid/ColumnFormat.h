// ColumnFormat: what the module reads from one header item to show a column's cells — data type,
// sortability, value format and fixed text colour.
#pragma once

#include "grid/ValueFormater.h"

#include <platform/windef.h>
#include <sdk/Conf.h>
#include <sdk/Data.h>

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <variant>

class GeneralDataGrid;

class ColumnFormat {
public:
    enum DataType { kText = 0, kReal = 1, kInteger = 2 };

    // The record of one header item, or null when the item is missing. The colour of a
    // `text_color` key is looked up in the theme (when there is one).
    static std::unique_ptr<ColumnFormat> Create(GeneralDataGrid* grid, const pugi::xml_node& item,
                                                Conf::ITheme* theme);

    ColumnFormat(const ColumnFormat&) = delete;
    ColumnFormat& operator=(const ColumnFormat&) = delete;

    // The cell's text through the formatter of the column's data type.
    XStringW Format(Data::IDataElement* element) const;
    // Looks the text colour key up again, after a theme change.
    void RefreshColour(Conf::ITheme* theme);

    GeneralDataGrid* Grid() const { return m_grid; }
    DataType Type() const { return m_dataType; }
    bool Sortable() const { return m_sortable; }
    const std::string& TextColourKey() const { return m_textColourKey; }
    bool HasTextColour() const { return !m_textColourKey.empty(); }
    COLORREF TextColour() const { return m_textColour; }

private:
    ColumnFormat(GeneralDataGrid* grid, DataType type);

    GeneralDataGrid* m_grid;
    DataType m_dataType;
    bool m_sortable = true;
    std::variant<ValueFormater<XStringW>, ValueFormater<double>, ValueFormater<int>> m_formatter;
    std::string m_textColourKey;
    COLORREF m_textColour = 0;
};
