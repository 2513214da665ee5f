#pragma once

// Test support: a locale whose decimal separator is a comma, so that tests
// can show numbers are still read and written with a "." under it. Machines
// often have no such locale installed; it is then built into a temporary
// folder with localedef and found through LOCPATH.

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace test_locale {

inline constexpr const char* kGerman = "de_DE.UTF-8";

// True when setlocale(…, kGerman) works afterwards. Leaves LC_ALL at "C".
inline bool MakeGermanLocaleAvailable() {
    bool available = std::setlocale(LC_ALL, kGerman) != nullptr;
    if (!available) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / "quorix-test-locales";
        std::filesystem::create_directories(folder);
        setenv("LOCPATH", folder.c_str(), 1);
        available = std::setlocale(LC_ALL, kGerman) != nullptr;  // built by an earlier run
        if (!available) {
            // Tests run in parallel processes: build aside, then move into
            // place in one step, so nobody reads a half-written locale.
            const std::filesystem::path aside = folder / ("building-" + std::to_string(getpid()));
            const std::string command =
                "localedef -i de_DE -f UTF-8 '" + (aside / kGerman).string() + "' >/dev/null 2>&1";
            std::filesystem::create_directories(aside);
            if (std::system(command.c_str()) == 0) {
                std::error_code ignored;  // another process may have won the race
                std::filesystem::rename(aside / kGerman, folder / kGerman, ignored);
                available = std::setlocale(LC_ALL, kGerman) != nullptr;
            }
            std::error_code ignored;
            std::filesystem::remove_all(aside, ignored);
        }
    }
    std::setlocale(LC_ALL, "C");
    return available;
}

}  // namespace test_locale
