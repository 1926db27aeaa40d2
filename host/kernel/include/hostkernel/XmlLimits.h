// Bounds on the XML documents the program reads (configuration, themes, grid header documents).
// A document nested deeper or holding more elements than any real one is taken for malformed:
// thousands of nested elements would otherwise grow without bound when the document is saved
// with indentation, and a file of millions of elements would take the memory of the machine.
//
// Two checks: one on the text before it is parsed (each element needs at least one '<', so a
// text with far more of them than elements allowed is refused without building anything) and one
// on the parsed tree, walked without recursion.
#pragma once

#include <pugixml.hpp>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace HostKernel {

constexpr int kMaxXmlDepth = 64;                // elements inside elements, the root being 1
constexpr std::size_t kMaxXmlElements = 100000; // elements in one document

// False with the reason when the text cannot be within the bounds.
inline bool XmlTextWithinLimits(std::string_view text, std::string& reason) {
    // Comments, declarations and end tags take a '<' each too, hence the margin.
    if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '<')) > 4 * kMaxXmlElements) {
        reason = "more than " + std::to_string(kMaxXmlElements) + " elements";
        return false;
    }
    return true;
}

// False with the reason when the parsed document goes beyond the bounds.
inline bool XmlTreeWithinLimits(const pugi::xml_node& document, std::string& reason) {
    std::size_t elements = 0;
    int depth = 0;
    pugi::xml_node node = document.first_child();
    while (node) {
        if (node.type() == pugi::node_element) {
            if (++elements > kMaxXmlElements) {
                reason = "more than " + std::to_string(kMaxXmlElements) + " elements";
                return false;
            }
            if (depth + 1 > kMaxXmlDepth) {
                reason = "elements nested more than " + std::to_string(kMaxXmlDepth) + " deep";
                return false;
            }
            if (node.first_child()) {
                ++depth;
                node = node.first_child();
                continue;
            }
        }
        // Up until a node with a next sibling, or back at the document.
        while (node && !node.next_sibling() && node != document) {
            node = node.parent();
            if (node.type() == pugi::node_element)
                --depth;
        }
        if (!node || node == document)
            break;
        node = node.next_sibling();
    }
    return true;
}

} // namespace HostKernel
