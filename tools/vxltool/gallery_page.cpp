#include "tools/vxltool/gallery_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr char pageStyle[] = R"(
:root{color-scheme:dark;--bg:#101317;--card:#1a1e24;--line:#2b313a;--text:#e8eaed;
--muted:#98a2ad;--accent:#7cc0ff;--ok:#7fd694;--bad:#ff8a7a;--shade:#0b0d10}
@media (prefers-color-scheme:light){:root{color-scheme:light;--bg:#f2f4f7;--card:#fff;
--line:#dde2e8;--text:#1b2129;--muted:#5d6773;--accent:#1769c4;--ok:#1e8e3e;--bad:#c5392a;
--shade:#e4e8ee}}
*{box-sizing:border-box}
body{margin:0;background:var(--bg);color:var(--text);
font:15px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",sans-serif}
header{position:sticky;top:0;z-index:1;display:flex;flex-wrap:wrap;align-items:center;
gap:10px 20px;padding:12px 18px;background:var(--bg);border-bottom:1px solid var(--line)}
h1{margin:0;font-size:19px;font-weight:650;letter-spacing:.01em}
.subtitle{margin:0;color:var(--muted);font-size:13px}
.controls{display:flex;flex-wrap:wrap;align-items:center;gap:8px;margin-left:auto}
.controls label{display:flex;align-items:center;gap:6px;color:var(--muted);font-size:13px}
input,select,button{font:inherit;font-size:14px;color:var(--text);background:var(--card);
border:1px solid var(--line);border-radius:7px;padding:5px 9px}
input[type=search]{width:15em}input[type=number]{width:8.5em}
button{cursor:pointer;min-width:2.4em}
button:hover,select:hover{border-color:var(--accent)}
#shown{color:var(--muted);font-size:13px;min-width:7em;text-align:right}
main{display:grid;grid-template-columns:repeat(auto-fill,minmax(min(100%,330px),1fr));
gap:16px;padding:18px}
.card{display:flex;flex-direction:column;background:var(--card);border:1px solid var(--line);
border-radius:12px;overflow:hidden;box-shadow:0 1px 3px rgba(0,0,0,.25)}
.card[hidden]{display:none}
.pictures{display:grid;grid-template-columns:9fr 16fr;gap:1px;background:var(--shade)}
.pictures a{display:block;background:var(--shade)}
.pictures img{display:block;width:100%;height:auto;image-rendering:auto}
.pictures a:hover img{filter:brightness(1.12)}
.fault{padding:18px 16px;background:repeating-linear-gradient(135deg,transparent 0 10px,
rgba(255,120,100,.07) 10px 20px);color:var(--bad);font-size:13px;overflow-wrap:anywhere}
.fault strong{display:block;font-size:15px;margin-bottom:4px}
.about{display:grid;gap:8px;padding:11px 14px 13px}
h2{margin:0;font-size:15px;font-weight:600;overflow-wrap:anywhere}
h2 a{color:inherit}
.figures{display:grid;grid-template-columns:1fr auto;gap:10px;align-items:end}
dl{display:grid;grid-template-columns:auto auto;gap:1px 12px;margin:0;font-size:13px}
dt{color:var(--muted)}dd{margin:0;text-align:right;font-variant-numeric:tabular-nums}
figure{margin:0;width:132px}
figure svg{display:block;width:100%;height:34px;color:var(--accent)}
figcaption{color:var(--muted);font-size:11px;text-align:center}
.verdict{margin:0;font-size:13px}
.verdict.ok{color:var(--ok)}.verdict.bad{color:var(--bad)}
code{display:block;font:12px/1.35 ui-monospace,SFMono-Regular,Menlo,Consolas,monospace;
color:var(--muted);overflow-wrap:anywhere;user-select:all}
@media (max-width:520px){header{padding:10px 12px}.controls{margin-left:0;width:100%}
input[type=search]{width:100%}input[type=number]{width:5.8em}.controls label{flex-wrap:wrap}
main{padding:10px;gap:12px}}
)";

// Sorting and filtering happen on the cards already in the page: their
// figures sit in data attributes, so nothing is fetched.
constexpr char pageScript[] = R"(
(function () {
  "use strict";
  const main = document.getElementById("cards");
  const cards = Array.from(main.children);
  const $ = (id) => document.getElementById(id);
  const filter = $("filter"), sort = $("sort"), direction = $("direction");
  const figure = $("figure"), least = $("least"), most = $("most"), shown = $("shown");
  let descending = false;
  const number = (card, key) =>
    card.dataset[key] === undefined ? NaN : Number(card.dataset[key]);
  function matches(card, text) {
    if (text === "") return true;
    const seed = number(card, "seed");
    const range = text.match(/^(\d+)\s*-\s*(\d+)$/);
    if (range && !isNaN(seed)) return seed >= Number(range[1]) && seed <= Number(range[2]);
    if (/^\d+$/.test(text) && !isNaN(seed)) return seed === Number(text);
    return card.dataset.name.toLowerCase().includes(text.toLowerCase());
  }
  function withinBounds(card) {
    if (least.value === "" && most.value === "") return true;
    const value = number(card, figure.value);
    if (isNaN(value)) return false;
    return (least.value === "" || value >= Number(least.value)) &&
           (most.value === "" || value <= Number(most.value));
  }
  function compare(a, b) {
    const by = sort.value;
    let order = 0;
    if (by === "name") {
      order = a.dataset.name.localeCompare(b.dataset.name, undefined, {numeric: true});
    } else if (by !== "given") {
      const x = number(a, by), y = number(b, by);
      if (isNaN(x) || isNaN(y)) {
        // Cards without the figure (faulty maps) stay last either way.
        if (isNaN(x) !== isNaN(y)) return isNaN(x) ? 1 : -1;
      } else {
        order = x - y;
      }
    }
    if (descending) order = -order;
    return order || number(a, "order") - number(b, "order");
  }
  function update() {
    const text = filter.value.trim();
    let count = 0;
    for (const card of cards.slice().sort(compare)) {
      card.hidden = !(matches(card, text) && withinBounds(card));
      if (!card.hidden) count++;
      main.appendChild(card);
    }
    shown.textContent = count + " of " + cards.length + " shown";
  }
  direction.addEventListener("click", () => {
    descending = !descending;
    direction.textContent = descending ? "\u2193" : "\u2191";
    direction.setAttribute("aria-pressed", String(descending));
    update();
  });
  for (const control of [filter, least, most]) control.addEventListener("input", update);
  for (const control of [sort, figure]) control.addEventListener("change", update);
  update();
})();
)";

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
std::string heightChart(const MapInfo& info) {
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
    return "<figure><svg viewBox=\"0 0 64 32\" preserveAspectRatio=\"none\" role=\"img\" "
           "aria-label=\"columns by surface height\"><path fill=\"currentColor\" d=\"" +
           path + "\"/></svg><figcaption>surface heights 0&ndash;63</figcaption></figure>";
}

std::string pictureLink(const GalleryPicture& picture, const std::string& alt) {
    return "<a href=\"" + escapeHtml(picture.full) + "\"><img src=\"" +
           escapeHtml(picture.thumbnail) + "\" width=\"" + std::to_string(picture.width) +
           "\" height=\"" + std::to_string(picture.height) + "\" loading=\"lazy\" alt=\"" +
           escapeHtml(alt) + "\"></a>";
}

std::string cardHtml(const GalleryCard& card, size_t order) {
    const std::string name = escapeHtml(card.name);
    std::string html = "<article class=\"card" + std::string(card.sound ? "" : " faulty") +
                       "\" data-order=\"" + std::to_string(order) + "\" data-name=\"" + name + "\"";
    if (card.hasSeed) {
        html += " data-seed=\"" + std::to_string(card.seed) + "\"";
    }
    if (card.readable) {
        html += " data-size=\"" + std::to_string(card.info.fileSize) + "\"";
    }
    if (card.sound) {
        html += " data-solid=\"" + std::to_string(card.info.solidVoxels) + "\" data-colored=\"" +
                std::to_string(card.info.coloredVoxels) + "\"";
    }
    html += ">\n";
    if (card.sound) {
        html += "<div class=\"pictures\">" + pictureLink(card.topDown, card.name + " from above") +
                pictureLink(card.isometric, card.name + " from the corner") + "</div>\n";
    } else {
        html += "<div class=\"fault\"><strong>" +
                std::string(card.readable ? "Invalid map" : "Unreadable map") + "</strong>" +
                escapeHtml(card.fault) + "</div>\n";
    }
    html += "<div class=\"about\"><h2>";
    html += card.mapFile.empty() ? name
                                 : "<a href=\"" + escapeHtml(card.mapFile) + "\">" + name + "</a>";
    html += "</h2>\n";
    if (card.readable) {
        html += "<div class=\"figures\"><dl><dt>size</dt><dd>" +
                withCommas(static_cast<int64_t>(card.info.fileSize)) + " bytes</dd>";
        if (card.sound) {
            html += "<dt>solid</dt><dd>" + withCommas(card.info.solidVoxels) +
                    "</dd><dt>coloured</dt><dd>" + withCommas(card.info.coloredVoxels) + "</dd>";
        }
        html += "</dl>" + std::string(card.sound ? heightChart(card.info) : "") + "</div>\n";
    }
    html += card.sound
                ? "<p class=\"verdict ok\">&#10004; check: ok</p>\n"
                : "<p class=\"verdict bad\">&#10008; check: " + escapeHtml(card.fault) + "</p>\n";
    if (!card.command.empty()) {
        html += "<code>" + escapeHtml(card.command) + "</code>\n";
    }
    return html + "</div></article>\n";
}

}  // namespace

std::string escapeHtml(const std::string& text) {
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

std::string galleryPage(const std::string& subtitle, const std::vector<GalleryCard>& cards) {
    const bool anySeed =
        std::any_of(cards.begin(), cards.end(), [](const GalleryCard& c) { return c.hasSeed; });
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Map gallery</title>\n<style>" +
        std::string(pageStyle) +
        "</style>\n</head>\n<body>\n<header>\n<div><h1>Map gallery</h1><p class=\"subtitle\">" +
        escapeHtml(subtitle) +
        "</p></div>\n<div class=\"controls\">\n"
        "<input type=\"search\" id=\"filter\" placeholder=\"" +
        std::string(anySeed ? "Seed, range or name" : "Name") +
        "\" aria-label=\"Filter by name or seed\">\n"
        "<label>Sort <select id=\"sort\"><option value=\"given\">as made</option>"
        "<option value=\"name\">name</option>" +
        std::string(anySeed ? "<option value=\"seed\">seed</option>" : "") +
        "<option value=\"solid\">solid voxels</option>"
        "<option value=\"colored\">coloured voxels</option>"
        "<option value=\"size\">file size</option></select></label>\n"
        "<button id=\"direction\" type=\"button\" aria-pressed=\"false\" "
        "aria-label=\"Descending\">&#8593;</button>\n"
        "<label>Only <select id=\"figure\" aria-label=\"Figure to bound\">"
        "<option value=\"solid\">solid voxels</option>"
        "<option value=\"colored\">coloured voxels</option>"
        "<option value=\"size\">file size</option></select>"
        "<input type=\"number\" id=\"least\" placeholder=\"min\" min=\"0\">"
        "<input type=\"number\" id=\"most\" placeholder=\"max\" min=\"0\"></label>\n"
        "<span id=\"shown\"></span>\n</div>\n</header>\n<main id=\"cards\">\n";
    for (size_t i = 0; i < cards.size(); ++i) {
        html += cardHtml(cards[i], i);
    }
    return html + "</main>\n<script>" + pageScript + "</script>\n</body>\n</html>\n";
}
