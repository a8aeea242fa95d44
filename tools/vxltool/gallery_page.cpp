#include "tools/vxltool/gallery_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "tools/vxltool/html.h"
#include "tools/vxltool/page_files.h"

using namespace qormap;

namespace {

constexpr std::string_view cardsMarker = "@CARDS@";

// Counts are never negative.
std::string withCommas(int64_t value) {
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

// Bars of the columns at each surface height, 0 at the left. Most columns of a
// map share a few heights, so the bars grow with the logarithm of the count:
// rare heights stay visible beside the ground.
Html heightChart(const MapInfo& info) {
    constexpr int32_t chartHeight = 32;
    const int64_t most = *std::max_element(info.surfaceHeights, info.surfaceHeights + worldSizeZ);
    std::string path;
    for (int32_t h = 0; h < worldSizeZ && most > 0; ++h) {
        const int64_t count = info.surfaceHeights[h];
        if (count == 0) {
            continue;
        }
        const auto bar =
            std::max<int64_t>(1, std::lround(chartHeight * std::log1p(static_cast<double>(count)) /
                                             std::log1p(static_cast<double>(most))));
        char bars[64];
        std::snprintf(bars, sizeof bars, "M%d %dv-%lldh1v%lldz", h, chartHeight,
                      static_cast<long long>(bar), static_cast<long long>(bar));
        path += bars;
    }
    const Html bars = element("path", {{"fill", "currentColor"}, {"d", path}});
    return element("figure", {},
                   {element("svg",
                            {{"viewBox", "0 0 64 32"},
                             {"preserveAspectRatio", "none"},
                             {"role", "img"},
                             {"aria-label", "columns by surface height"}},
                            {bars}),
                    element("figcaption", {}, {text("surface heights 0\u201363")})});
}

Html pictureLink(const GalleryPicture& picture, const std::string& alt) {
    return element("a", {{"href", picture.full}},
                   {element("img", {{"src", picture.thumbnail},
                                    {"width", std::to_string(picture.width)},
                                    {"height", std::to_string(picture.height)},
                                    {"loading", "lazy"},
                                    {"alt", alt}})});
}

// A term and its value, for a <dl>.
void addFigure(std::vector<Html>& list, const char* term, const std::string& value) {
    list.push_back(element("dt", {}, {text(term)}));
    list.push_back(element("dd", {}, {text(value)}));
}

Html figures(const GalleryCard& card) {
    std::vector<Html> list;
    addFigure(list, "size", withCommas(static_cast<int64_t>(card.info.fileSize)) + " bytes");
    if (card.sound) {
        addFigure(list, "solid", withCommas(card.info.solidVoxels));
        addFigure(list, "coloured", withCommas(card.info.coloredVoxels));
    }
    std::vector<Html> parts = {element("dl", {}, list)};
    if (card.sound) {
        parts.push_back(heightChart(card.info));
    }
    return element("div", {{"class", "figures"}}, parts);
}

// `markup` with `marker` replaced by `value`.
std::string filled(std::string markup, std::string_view marker, std::string_view value) {
    const size_t at = markup.find(marker);
    return at == std::string::npos ? markup : markup.replace(at, marker.size(), value);
}

}  // namespace

std::string galleryCard(const GalleryCard& card, size_t order) {
    Attributes attributes = {{"class", card.sound ? "card" : "card faulty"},
                             {"data-order", std::to_string(order)},
                             {"data-name", card.name}};
    if (card.hasSeed) {
        attributes.emplace_back("data-seed", std::to_string(card.seed));
    }
    if (card.readable) {
        attributes.emplace_back("data-size", std::to_string(card.info.fileSize));
    }
    if (card.sound) {
        attributes.emplace_back("data-solid", std::to_string(card.info.solidVoxels));
        attributes.emplace_back("data-colored", std::to_string(card.info.coloredVoxels));
    }
    std::vector<Html> parts;
    if (card.sound) {
        parts.push_back(element("div", {{"class", "pictures"}},
                                {pictureLink(card.topDown, card.name + " from above"),
                                 pictureLink(card.isometric, card.name + " from the corner")}));
    } else {
        // The fault is stated here, once.
        parts.push_back(element(
            "div", {{"class", "fault"}},
            {element("strong", {}, {text(card.readable ? "Invalid map" : "Unreadable map")}),
             text(card.fault)}));
    }
    std::vector<Html> about = {element(
        "h2", {},
        {card.mapFile.empty() ? text(card.name)
                              : element("a", {{"href", card.mapFile}}, {text(card.name)})})};
    if (card.readable) {
        about.push_back(figures(card));
    }
    if (card.sound) {
        about.push_back(element("p", {{"class", "verdict ok"}}, {text("\u2714 check: ok")}));
    }
    if (!card.command.empty()) {
        about.push_back(element("code", {}, {text(card.command)}));
    }
    if (!card.viewer.empty()) {
        about.push_back(element("a", {{"class", "viewer"}, {"href", card.viewer}},
                                {text("Open in the map page")}));
    }
    parts.push_back(element("div", {{"class", "about"}}, about));
    return element("article", attributes, parts).markup() + "\n";
}

std::string galleryPageStart(const std::string& subtitle) {
    const std::string_view page = galleryMarkup.text();
    const std::string start(page.substr(0, page.find(cardsMarker)));
    return filled(filled(start, "@STYLE@", galleryStyle.text()), "@SUBTITLE@",
                  text(subtitle).markup());
}

std::string galleryPageEnd() {
    const std::string_view page = galleryMarkup.text();
    const size_t cards = page.find(cardsMarker);
    const std::string end(
        page.substr(cards == std::string_view::npos ? page.size() : cards + cardsMarker.size()));
    return filled(end, "@SCRIPT@", galleryScript.text());
}
