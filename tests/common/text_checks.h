#pragma once

#include <gtest/gtest.h>

#include <string_view>

// Whether `text` holds `part`; either way the message shows both, for EXPECT_TRUE and
// EXPECT_FALSE alike.
inline testing::AssertionResult holds(std::string_view text, std::string_view part) {
    auto result = text.find(part) == std::string_view::npos ? testing::AssertionFailure()
                                                            : testing::AssertionSuccess();
    return result << "looked for \"" << part << "\" in:\n" << text;
}
