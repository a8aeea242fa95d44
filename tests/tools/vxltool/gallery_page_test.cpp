#include "tools/vxltool/gallery_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

GalleryCard soundCard(const std::string& name) {
    GalleryCard card{};
    card.name = name;
    card.readable = true;
    card.sound = true;
    card.info.fileSize = 2860836;
    card.info.solidVoxels = 8111525;
    card.info.coloredVoxels = 419973;
    card.info.surfaceHeights[0] = 10;
    card.info.surfaceHeights[63] = 1000;
    card.topDown = {"pictures/a-top.png", "pictures/a-top-small.png", 256, 256};
    card.isometric = {"pictures/a-iso.png", "pictures/a-iso-small.png", 512, 288};
    return card;
}

}  // namespace

TEST(GalleryPage, ShowsEachCardWithItsFiguresOrItsFault) {
    GalleryCard seeded = soundCard("seed 7");
    seeded.hasSeed = true;
    seeded.seed = 7;
    seeded.command = "qormap -s 7 -b 30 -o seed-7-b30.vxl";
    GalleryCard invalid{};
    invalid.name = "maps/<odd> & \"quoted\".vxl";
    invalid.readable = true;
    invalid.info.fileSize = 1000;
    invalid.fault = "byte 1000, column (125, 0): the file ends after 125 of 262144 columns";
    const std::string page = galleryPageStart("2 maps") + galleryCard(seeded, 0) +
                             galleryCard(invalid, 1) + galleryPageEnd();

    struct Case {
        const char* what;
        std::string part;
        size_t count;
    };
    const Case cases[] = {
        {"a card per map", "<article class=\"card", 2},
        {"the faulty one marked", "<article class=\"card faulty\"", 1},
        {"figures with thousands grouped", "8,111,525", 1},
        {"sizes of both", "data-size=", 2},
        {"the name escaped", "maps/&lt;odd&gt; &amp; &quot;quoted&quot;.vxl", 2},
        {"never raw", "<odd>", 0},
        {"the fault stated once", "the file ends after 125 of 262144 columns", 1},
        {"the seed to sort by", "data-seed=\"7\"", 1},
        {"the command", ">qormap -s 7 -b 30 -o seed-7-b30.vxl<", 1},
        {"the full picture linked", "href=\"pictures/a-iso.png\"", 1},
        {"its thumbnail shown", "src=\"pictures/a-iso-small.png\"", 1},
        {"two lazy images for the sound map only", "loading=\"lazy\"", 2},
        {"a bar for each of the two heights present", "h1v", 2},
        {"the subtitle, style and script filled in", "@S", 0},
        {"the cards in place of their marker", "@CARDS@", 0},
        // offline: nothing is fetched from elsewhere
        {"no address of another place", "://", 0},
        {"no external script", "<script src", 0},
        {"no external style", "<link", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(occurrences(page, c.part), c.count) << c.what;
    }
}
