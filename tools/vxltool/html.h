// HTML made only through element() and text(), so that every text and every
// attribute value in a page is escaped: names of files and faults can hold
// any character without becoming markup.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Attribute names and their values, unescaped.
using Attributes = std::vector<std::pair<std::string_view, std::string>>;

// A piece of markup; only the functions below make one.
class Html {
public:
    Html() = default;
    const std::string& markup() const { return markup_; }
    Html& operator+=(const Html& more);

private:
    explicit Html(std::string markup) : markup_(std::move(markup)) {}
    std::string markup_;
    friend Html text(std::string_view);
    friend Html element(std::string_view, const Attributes&, const std::vector<Html>&);
};

// `value` escaped as text.
Html text(std::string_view value);

// <tag name="value"...>children</tag>, the values escaped; img, input and meta
// get no closing tag.
Html element(std::string_view tag, const Attributes& attributes,
             const std::vector<Html>& children = {});

// `text` with &, <, > and both quotes escaped.
std::string escapeHtml(std::string_view text);
