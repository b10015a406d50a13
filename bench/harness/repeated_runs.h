#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace velmora::bench {

// Measures `runs` times, each run in a fresh folder under /tmp that is removed after
// it; nothing as soon as one run cannot be measured. `measure` takes the folder and
// returns its figures, or nothing.
template <typename Measure>
auto measureRepeatedly(int runs, const char* name, Measure measure) -> std::optional<
    std::vector<typename std::invoke_result_t<Measure, const std::string&>::value_type>> {
    std::vector<typename std::invoke_result_t<Measure, const std::string&>::value_type> all;
    for (int run = 1; run <= runs; ++run) {
        std::fprintf(stderr, "%s run %d of %d\n", name, run, runs);
        std::string folder = "/tmp/velmora-" + std::string(name) + "-XXXXXX";
        if (!mkdtemp(folder.data()))
            return std::nullopt;
        auto figures = measure(folder);
        std::filesystem::remove_all(folder);
        if (!figures)
            return std::nullopt;
        all.push_back(std::move(*figures));
    }
    return all;
}

} // namespace velmora::bench
