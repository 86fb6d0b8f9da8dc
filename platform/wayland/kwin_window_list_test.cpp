#include "platform/wayland/kwin_window_list.h"

#include <gtest/gtest.h>

namespace ostrevin::platform {

bool operator==(const WindowInfo& a, const WindowInfo& b) {
    return a.id == b.id && a.title == b.title && a.visible == b.visible;
}

void PrintTo(const WindowInfo& w, std::ostream* os) {
    *os << "{" << w.id << ", \"" << w.title << "\", " << w.visible << "}";
}

namespace {

struct Step {
    const char* what;
    std::string report;
    std::vector<WindowInfo> expected;  // front to back
    WindowId active;
};

// One run: numbers stay with their window from report to report and never pass to a later one.
TEST(KWinWindowList, ReportsInTurn) {
    const Step steps[] = {
        {"captions with tabs, newlines and backslashes come back whole",
         "{aa-01}\tva\tInvoice\n{bb-02}\t\tC:\\\\tmp\\tx\\ny\n{cc-03}\tv\tMarker",
         {{1, "Invoice", true}, {2, "C:\\tmp\tx\ny", false}, {3, "Marker", true}},
         1},
        {"restacked, retitled and one closed: the rest keep their numbers",
         "{cc-03}\tva\tMarker 2\n{aa-01}\tv\tInvoice",
         {{3, "Marker 2", true}, {1, "Invoice", true}},
         3},
        {"a window opening with a closed one's title gets a fresh number",
         "{dd-04}\tva\tC:\\\\tmp\\tx\\ny\n{cc-03}\tv\tMarker 2\n{aa-01}\tv\tInvoice",
         {{4, "C:\\tmp\tx\ny", true}, {3, "Marker 2", true}, {1, "Invoice", true}},
         4},
        {"lines that name no window of the manager's are left out",
         "{aa-01}\tv\tInvoice\n"
         "x\"); evil(\"\tv\tInjected\n"
         "{ee-05}\tv\n"
         "{aa-01}\tva\tTwice\n"
         "\n"
         "\tv\tNo id",
         {{1, "Invoice", true}},
         0},
        {"an empty desktop", "", {}, 0},
        {"a window back under an id seen before the list emptied is new to us",
         "{aa-01}\tva\tInvoice",
         {{5, "Invoice", true}},
         5},
    };
    KWinWindowList list;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        list.apply(step.report);
        EXPECT_EQ(list.windows(), step.expected);
        EXPECT_EQ(list.active(), step.active);
    }
    EXPECT_EQ(list.managerId(5), "{aa-01}");
    EXPECT_EQ(list.managerId(1), "");
}

}  // namespace
}  // namespace ostrevin::platform
