// Files built into vxltool: the gallery page's markup, style and script
// (tools/vxltool/page/), and the map page when the build was given one.
#pragma once

#include <cstddef>
#include <string_view>

struct EmbeddedFile {
    const unsigned char* bytes;
    size_t size;

    std::string_view text() const { return {reinterpret_cast<const char*>(bytes), size}; }
};

extern const EmbeddedFile galleryMarkup;  // with @STYLE@, @SUBTITLE@, @CARDS@ and @SCRIPT@
extern const EmbeddedFile galleryStyle;
extern const EmbeddedFile galleryScript;
extern const EmbeddedFile mapPage;  // empty unless built with QORMAP_WEB_PAGE
