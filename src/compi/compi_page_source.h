#pragma once
// Page sources of both Compi page layouts, written from values: what the simulated service offers
// its users so that the page import can be tried on simulated days. The pages follow the shape the
// import reads (title, title line, one block of horse lines per race, the end of the page).
#include <string>
#include <string_view>
#include <vector>

#include "compi/compi_page_import.h"

namespace vex {

struct CompiPageRaceValues {
    int race = 0;             // 1..12
    std::vector<int> values;  // by horse number - 1; 0 = no value (a scratched horse)
    int recommendedHorse = 0;
};

// The page (UTF-8) of `layout` for the day and the track (its name as the page writes it, UTF-8).
std::string compiPageSource(CompiPageLayout layout, int year, int month, int day, std::string_view track,
                            const std::vector<CompiPageRaceValues>& races);

}  // namespace vex
