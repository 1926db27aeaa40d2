// The pieces that sample names are built from, each with its pinyin initials, so that a fund's
// pycode (what users type to find it) follows from its name the way it does in real data.
//
// Every company, fund, manager and stock name here is invented. The figures of the sample database are
// made up, and a real company's or fund's name next to them would read like real data about it.
// Index names and the industry classification are public terms and stay as they are.
#pragma once

#include <span>

namespace SampleDb {

struct NamePart {
    const char* text;
    const char* initials;
};

struct Company {
    const char* shortName;
    const char* initials;
    const char* fullName;
};

inline constexpr Company kFundCompanies[] = {
    {"青岚", "QL", "青岚基金管理有限公司"},      {"松涛", "ST", "松涛基金管理有限公司"},
    {"云岫", "YX", "云岫基金管理有限公司"},      {"鹭汀", "LT", "鹭汀基金管理有限公司"},
    {"远帆", "YF", "远帆基金管理有限公司"},      {"澄湖", "CH", "澄湖基金管理有限公司"},
    {"竹溪", "ZX", "竹溪基金管理有限公司"},      {"星屿", "XY", "星屿基金管理有限公司"},
    {"禾川", "HC", "禾川基金管理有限公司"},      {"雁回", "YH", "雁回基金管理有限公司"},
    {"栖梧", "QW", "栖梧基金管理有限公司"},      {"晴川", "QC", "晴川基金管理有限公司"},
    {"沐澜", "ML", "沐澜基金管理有限公司"},      {"辰屿", "CY", "辰屿基金管理有限公司"},
    {"望舒", "WS", "望舒基金管理有限公司"},      {"拾光", "SG", "拾光基金管理有限公司"},
    {"蔚岭", "WL", "蔚岭基金管理有限公司"},      {"晓渡", "XD", "晓渡基金管理有限公司"},
    {"闻溪", "WX", "闻溪基金管理有限公司"},      {"枫桥", "FQ", "枫桥基金管理有限公司"},
    {"霁月", "JY", "霁月基金管理有限公司"},      {"澜石", "LS", "澜石基金管理有限公司"},
    {"映山", "YS", "映山基金管理有限公司"},      {"岚舟", "LZ", "岚舟基金管理有限公司"},
    {"鸣泉", "MQ", "鸣泉基金管理有限公司"},      {"疏桐", "ST", "疏桐基金管理有限公司"},
    {"曦岸", "XA", "曦岸基金管理有限公司"},      {"朗峰", "LF", "朗峰基金管理有限公司"},
    {"清樾", "QY", "清樾基金管理有限公司"},      {"晚枫", "WF", "晚枫基金管理有限公司"},
    {"听涛", "TT", "听涛基金管理有限公司"},      {"越岭", "YL", "越岭基金管理有限公司"},
    {"青梧", "QW", "青梧基金管理有限公司"},      {"澄屿", "CY", "澄屿基金管理有限公司"},
    {"远岫", "YX", "远岫基金管理有限公司"},      {"星槎", "XC", "星槎基金管理有限公司"},
    {"芦汀", "LT", "芦汀基金管理有限公司"},      {"桂岩", "GY", "桂岩基金管理有限公司"},
    {"雪溪", "XX", "雪溪基金管理有限公司"},      {"松间", "SJ", "松间基金管理有限公司"},
    {"石泉", "SQ", "石泉基金管理有限公司"},      {"潮声", "CS", "潮声基金管理有限公司"},
    {"云杉", "YS", "云杉基金管理有限公司"},      {"鹤鸣", "HM", "鹤鸣基金管理有限公司"},
    {"白鹭洲", "BLZ", "白鹭洲基金管理有限公司"}, {"岩枫", "YF", "岩枫基金管理有限公司"},
    {"溪桥", "XQ", "溪桥基金管理有限公司"},      {"苇岸", "WA", "苇岸基金管理有限公司"},
    {"鹿溪", "LX", "鹿溪基金管理有限公司"},      {"杉屿", "SY", "杉屿基金管理有限公司"},
    {"泊舟", "BZ", "泊舟基金管理有限公司"},      {"峦溪", "LX", "峦溪基金管理有限公司"},
    {"汀兰", "TL", "汀兰基金管理有限公司"},      {"岫云", "XY", "岫云基金管理有限公司"},
    {"翠微", "CW", "翠微基金管理有限公司"},      {"琢石", "ZS", "琢石基金管理有限公司"},
};

// Securities firms, the managers of collective wealth-management products.
inline constexpr Company kBrokers[] = {
    {"远山证券", "YSZQ", "远山证券股份有限公司"}, {"鹿鸣证券", "LMZQ", "鹿鸣证券股份有限公司"},
    {"晨桥证券", "CQZQ", "晨桥证券股份有限公司"}, {"澄川证券", "CCZQ", "澄川证券股份有限公司"},
    {"霁川证券", "JCZQ", "霁川证券股份有限公司"}, {"望岳证券", "WYZQ", "望岳证券股份有限公司"},
    {"清溪证券", "QXZQ", "清溪证券股份有限公司"}, {"北岸证券", "BAZQ", "北岸证券股份有限公司"},
    {"枫林证券", "FLZQ", "枫林证券股份有限公司"}, {"云帆证券", "YFZQ", "云帆证券股份有限公司"},
};

inline constexpr NamePart kThemes[] = {
    {"成长", "CZ"},    {"价值", "JZ"},       {"精选", "JX"}, {"优选", "YX"}, {"红利", "HL"},
    {"蓝筹", "LC"},    {"核心", "HX"},       {"主题", "ZT"}, {"领先", "LX"}, {"新兴产业", "XXCY"},
    {"消费", "XF"},    {"行业轮动", "HYLD"}, {"策略", "CL"}, {"动力", "DL"}, {"平衡", "PH"},
    {"配置", "PZ"},    {"回报", "HB"},       {"优势", "YS"}, {"创新", "CX"}, {"先锋", "XF"},
    {"中小盘", "ZXP"}, {"大盘", "DP"},       {"小盘", "XP"}, {"品质", "PZ"}, {"内需", "NX"},
    {"周期", "ZQ"},    {"景气", "JQ"},       {"龙头", "LT"}, {"民生", "MS"}, {"医疗", "YL"},
    {"科技", "KJ"},    {"增长", "ZZ"},       {"积极", "JJ"}, {"灵活", "LH"}, {"稳健", "WJ"},
};

// Themes of the low-risk types (bond, capital-guaranteed, money-market).
inline constexpr NamePart kIncomeThemes[] = {
    {"增利", "ZL"}, {"收益", "SY"}, {"双利", "SL"}, {"信用", "XY"}, {"稳健", "WJ"}, {"丰利", "FL"},
    {"聚利", "JL"}, {"安心", "AX"}, {"稳定", "WD"}, {"现金", "XJ"}, {"添利", "TL"}, {"安泰", "AT"},
    {"增强", "ZQ"}, {"纯债", "CZ"}, {"天元", "TY"}, {"鑫利", "XL"},
};

inline constexpr NamePart kIndexNames[] = {
    {"沪深300", "HS300"}, {"中证500", "ZZ500"}, {"上证50", "SZ50"}, {"上证180", "SZ180"},
    {"深证100", "SZ100"}, {"深证成指", "SZCZ"}, {"中小板", "ZXB"},  {"红利", "HL"},
    {"央企", "YQ"},       {"中证100", "ZZ100"}, {"创业板", "CYB"},  {"治理", "ZL"},
};

inline constexpr NamePart kQdiiThemes[] = {
    {"全球精选", "QQJX"}, {"亚太精选", "YTJX"}, {"全球配置", "QQPZ"}, {"海外中国", "HWZG"},
    {"大中华", "DZH"},    {"全球资源", "QQZY"}, {"新兴市场", "XXSC"}, {"全球房地产", "QQFDC"},
};

// Closed-end funds of the first generation are named "基金" plus two characters.
inline constexpr NamePart kClosedEndNames[] = {
    {"澄远", "CY"}, {"岚山", "LS"}, {"松岳", "SY"}, {"云澜", "YL"}, {"晴岱", "QD"}, {"星川", "XC"},
    {"鹿原", "LY"}, {"溪明", "XM"}, {"枫华", "FH"}, {"竹盛", "ZS"}, {"霁安", "JA"}, {"朗泰", "LT"},
    {"岫川", "XC"}, {"澜亭", "LT"}, {"青屏", "QP"}, {"汀远", "TY"}, {"鹭华", "LH"}, {"梧岳", "WY"},
    {"杉泽", "SZ"}, {"桐远", "TY"}, {"岩秀", "YX"}, {"涧明", "JM"}, {"峦丰", "LF"}, {"苇清", "WQ"},
    {"曦和", "XH"}, {"岚泰", "LT"}, {"云屏", "YP"}, {"泉盛", "QS"}, {"松禾", "SH"}, {"雁宁", "YN"},
};

inline constexpr const char* kSurnames[] = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "周", "吴", "徐", "孙", "朱", "马", "胡", "郭",
    "林", "何", "高", "梁", "郑", "罗", "宋", "谢", "唐", "韩", "曹", "许", "邓", "冯", "曾", "程",
    "蔡", "彭", "潘", "袁", "于", "董", "余", "苏", "叶", "吕", "魏", "蒋", "田", "杜", "丁", "沈",
    "姜", "范", "江", "钟", "卢", "汪", "戴", "崔", "任", "陆", "廖", "姚", "方", "金", "邱", "夏",
};

inline constexpr const char* kGivenNames[] = {
    "墨川", "岚希", "启帆", "清越", "知远", "言舟", "牧之", "若川", "亦航", "书白", "景行", "砚秋",
    "沐阳", "听澜", "思源", "稚川", "闻笛", "青禾", "晏清", "远山", "拾舟", "南乔", "子衿", "修远",
    "初霁", "长庚", "云起", "松年", "竹君", "叶舟", "明哲", "惟安", "守拙", "以宁", "安澜", "观澜",
    "问渠", "南星", "则安", "行简", "归远", "承宇", "嘉树", "若谷", "正则", "怀瑾", "梦溪", "见山",
    "秋水", "春和", "景明", "望川", "霁青", "临溪", "逸尘", "澄怀", "蔚然", "念禾", "知白", "溯洄",
};

// The industry classification of the quarterly fund reports. Id 2, manufacturing, is the parent
// of ids 4 and 6 to 14; the other ids are top-level. Id 5 is not used. `weight` is the share of a
// typical equity portfolio.
struct Industry {
    int id;
    const char* name;
    double weight;
};

inline constexpr int kManufacturingId = 2;
inline constexpr const char* kManufacturingName = "制造业";

inline constexpr Industry kLeafIndustries[] = {
    {1, "农、林、牧、渔业", 0.015},
    {3, "采掘业", 0.07},
    {4, "食品、饮料", 0.08},
    {6, "纺织、服装、皮毛", 0.015},
    {7, "木材、家具", 0.004},
    {8, "造纸、印刷", 0.008},
    {9, "石油、化学、塑胶、塑料", 0.05},
    {10, "电子", 0.04},
    {11, "金属、非金属", 0.07},
    {12, "机械、设备、仪表", 0.12},
    {13, "医药、生物制品", 0.08},
    {14, "其他制造业", 0.006},
    {15, "电力、煤气及水的生产和供应业", 0.02},
    {16, "建筑业", 0.025},
    {17, "交通运输、仓储业", 0.03},
    {18, "信息技术业", 0.05},
    {19, "批发和零售贸易", 0.05},
    {20, "金融、保险业", 0.15},
    {21, "房地产业", 0.06},
    {22, "社会服务业", 0.02},
    {23, "传播与文化产业", 0.01},
    {24, "综合类", 0.01},
};

inline bool IsManufacturing(int industryId) {
    return industryId == 4 || (industryId >= 6 && industryId <= 14);
}

// Stock names: two uncommon characters and a word of the industry ("蘅渚药业"). The characters are
// chosen so that the names read like company names without being any listed company's.
inline constexpr const char* kStockFirstChars[] = {"蘅", "蓠", "荻", "筠", "琮", "珂", "璟", "槿", "芷", "苇",
                                                   "檀", "鸥", "曦", "霁", "岫", "汀", "栖", "澜", "岚", "屿"};
inline constexpr const char* kStockSecondChars[] = {"渚", "坞", "堤", "津", "湾", "岩",
                                                    "坪", "崖", "谷", "泉", "原", "舟"};

struct StockIndustry {
    int id;
    const char* suffixes[4];
    int suffixCount;
};

inline constexpr StockIndustry kStockIndustries[] = {
    {1, {"农业", "种业", "牧业", "渔业"}, 4},
    {3, {"矿业", "煤业", "能源", "资源"}, 4},
    {4, {"食品", "酒业", "乳业", "饮品"}, 4},
    {6, {"纺织", "服饰", "丝绸"}, 3},
    {7, {"家居", "木业"}, 2},
    {8, {"纸业", "印务"}, 2},
    {9, {"化工", "石化", "新材"}, 3},
    {10, {"电子", "光电", "微电"}, 3},
    {11, {"钢铁", "铝业", "建材", "金属"}, 4},
    {12, {"机械", "重工", "装备", "仪表"}, 4},
    {13, {"药业", "生物", "医疗", "制药"}, 4},
    {14, {"制造", "工业"}, 2},
    {15, {"电力", "水务", "燃气", "热电"}, 4},
    {16, {"建设", "建工", "路桥"}, 3},
    {17, {"物流", "港务", "航运", "高速"}, 4},
    {18, {"科技", "软件", "信息", "网络"}, 4},
    {19, {"商业", "百货", "商贸", "超市"}, 4},
    {20, {"银行", "证券", "保险", "信托"}, 4},
    {21, {"地产", "置业", "城建"}, 3},
    {22, {"旅游", "酒店", "服务"}, 3},
    {23, {"传媒", "文化", "出版"}, 3},
    {24, {"控股", "实业", "发展"}, 3},
};

} // namespace SampleDb
