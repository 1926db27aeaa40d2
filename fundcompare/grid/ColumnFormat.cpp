// ColumnFormat: built once per column from its header item.
#include "grid/ColumnFormat.h"

ColumnFormat::ColumnFormat(GeneralDataGrid* grid, DataType type)
    : m_grid(grid), m_dataType(type),
      m_formatter(type == kReal      ? decltype(m_formatter)(std::in_place_index<1>, this)
                  : type == kInteger ? decltype(m_formatter)(std::in_place_index<2>, this)
                                     : decltype(m_formatter)(std::in_place_index<0>, this)) {}

std::unique_ptr<ColumnFormat> ColumnFormat::Create(GeneralDataGrid* grid, const pugi::xml_node& item,
                                                   Conf::ITheme* theme) {
    if (!item)
        return nullptr;
    // The first letter of data_type decides: "d" real, "i" integer, anything else text.
    const pugi::char_t* typeText = item.attribute("data_type").value();
    DataType type = typeText[0] == 'd' ? kReal : typeText[0] == 'i' ? kInteger : kText;

    std::unique_ptr<ColumnFormat> format(new ColumnFormat(grid, type));
    // Only the exact text "false" disables sorting.
    pugi::xml_attribute sortable = item.attribute("sortable");
    format->m_sortable = !(sortable && std::string(sortable.value()) == "false");

    XStringW textFormat = XStringW::FromUtf8(item.attribute("text_format").value());
    std::visit([&textFormat](auto& formatter) { formatter.Parse(textFormat); }, format->m_formatter);

    format->m_textColourKey = item.attribute("text_color").value();
    format->RefreshColour(theme);
    return format;
}

XStringW ColumnFormat::Format(Data::IDataElement* element) const {
    return std::visit([element](const auto& formatter) { return formatter.Format(element); }, m_formatter);
}

void ColumnFormat::RefreshColour(Conf::ITheme* theme) {
    if (!m_textColourKey.empty() && theme != nullptr)
        theme->GetColor(m_textColourKey.c_str(), m_textColour);
}
