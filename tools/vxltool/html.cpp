#include "tools/vxltool/html.h"

#include <algorithm>

namespace {

constexpr std::string_view voidElements[] = {"img", "input", "meta"};

}  // namespace

Html& Html::operator+=(const Html& more) {
    markup_ += more.markup_;
    return *this;
}

std::string escapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

Html text(std::string_view value) {
    return Html(escapeHtml(value));
}

Html element(std::string_view tag, const Attributes& attributes,
             const std::vector<Html>& children) {
    std::string markup = "<";
    markup += tag;
    for (const auto& [name, value] : attributes) {
        markup += ' ';
        markup += name;
        markup += "=\"";
        markup += escapeHtml(value);
        markup += '"';
    }
    markup += '>';
    if (std::find(std::begin(voidElements), std::end(voidElements), tag) !=
        std::end(voidElements)) {
        return Html(markup);
    }
    for (const Html& child : children) {
        markup += child.markup_;
    }
    markup += "</";
    markup += tag;
    markup += '>';
    return Html(markup);
}
