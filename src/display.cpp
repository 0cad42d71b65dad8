#include "display.h"

#include <SDL.h>

#include <string_view>

namespace {

bool same_name(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && SDL_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool named_in(std::string_view driver, std::string_view list)
{
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        if (same_name(driver, list.substr(0, comma))) {
            return true;
        }
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    }
    return false;
}

} // namespace

bool shows_nothing(const char* driver, const char* requested)
{
    if (driver == nullptr) {
        return true;
    }
    const bool headless = same_name(driver, "offscreen") || same_name(driver, "dummy");
    return headless && (requested == nullptr || !named_in(driver, requested));
}
