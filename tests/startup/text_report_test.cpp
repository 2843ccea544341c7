#include "startup/text_report.h"

#include <gtest/gtest.h>

namespace vexav6 {
namespace {

TEST(TextReport, DateHasFullNamesTwoDigitFieldsAndTwoBlanksBeforeTheTime) {
    EXPECT_EQ(TextReport::FormatReportDate(DateFromCivil(2024, 2, 29, 7, 5, 9)),
              "Thursday, February 29, 2024  07:05:09");
    EXPECT_EQ(TextReport::FormatReportDate(DateFromCivil(2025, 11, 2, 23, 59, 59)),
              "Sunday, November 02, 2025  23:59:59");
}

TEST(TextReport, AnEmptyAdapterListGivesTheHeaderOnly) {
    const TextReport::AdapterCollection none;
    EXPECT_EQ(TextReport::BuildTextReport(DateFromCivil(2026, 1, 5, 12, 0, 0), none, nullptr),
              "Korvaldine MAC Address Changer v6.0.0\r\n" + std::string(51, '=') +
                  "\r\n\r\nDate: Monday, January 05, 2026  12:00:00\r\n\r\nText Report\r\n" +
                  std::string(11, '=') + "\r\n\r\n");
}

}  // namespace
}  // namespace vexav6
