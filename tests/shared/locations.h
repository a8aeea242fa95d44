// Where the tree keeps the files tests read and where this build put the
// programs tests run. The absolute paths live in one small translation unit,
// so that a clone in another folder changes only its compile line and the
// compiler cache serves every other test file.
#pragma once

const char* goldenMapsFile();    // tests/app/golden_maps.txt
const char* readmeFile();        // README.md
const char* generatorProgram();  // the qormap program of this build
const char* vxltoolProgram();    // vxltool; empty in a build without it
