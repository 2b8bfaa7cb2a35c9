#include "app/FormRules.h"

#include <gtest/gtest.h>

#include "util/Func2.h"

namespace velmora {
namespace {

TEST(FormRulesTest, FrameShowsOnAScreenWhenAnyPixelOverlapsOne) {
    const std::vector<TScreenRect> screens = {{0, 0, 1920, 1080}, {1920, -200, 1280, 1024}};
    struct {
        TScreenRect frame;
        bool shown;
    } const cases[] = {
        {{50, 50, 480, 480}, true},
        {{2000, -150, 480, 480}, true},   // the second monitor, above the first's top
        {{1919, 1079, 480, 480}, true},   // one pixel on the first
        {{1920, 1080, 480, 480}, false},  // just past its corner, below the second
        {{-480, 0, 480, 480}, false},     // just left of the first
        {{100000, 100000, 480, 480}, false},
        {{100, 100, 0, 0}, true},  // no size counts as a pixel
        {{-5000, 40, 480, 480}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.frame.Left) + "," + std::to_string(c.frame.Top));
        EXPECT_EQ(FrameOnSomeScreen(c.frame, screens), c.shown);
    }
    EXPECT_FALSE(FrameOnSomeScreen({0, 0, 10, 10}, {}));
}

TEST(FormRulesTest, OpenDialogStartsWhereTheLastOneEnded) {
    TFormState st;
    st.Label1 = "/data/";
    st.Fidx = 3;
    const TOpenDialogRequest request = OpenDialogRequest(st);
    EXPECT_EQ(request.Title, "変換元ファイルを指定");
    EXPECT_EQ(request.InitialFolder, "/data/");
    EXPECT_EQ(request.FilterIndex, 3);
    ASSERT_EQ(request.Filters.size(), 8u);
    EXPECT_EQ(request.Filters[0].Patterns.size(), 4u);
    EXPECT_EQ(request.Filters[7].Caption, "全てのファイル(*.*)");

    const std::string plans = AddPathDelimiter("/plans");
    AcceptOpenDialog({{plans + "a.jww", AddPathDelimiter("/other") + "b.jwc"}, 2}, st);
    EXPECT_EQ(st.Label1, plans);
    EXPECT_EQ(st.Fidx, 2);
    // Nothing chosen: the folder stays.
    AcceptOpenDialog({{}, 5}, st);
    EXPECT_EQ(st.Label1, plans);
    EXPECT_EQ(st.Fidx, 5);
}

TEST(FormRulesTest, OnlyAnIntakeThatTookNothingIsUnsupported) {
    TRunReport notStarted;
    TRunReport finished;
    finished.End = TRunEnd::Finished;
    TRunReport cancelled;
    cancelled.End = TRunEnd::Cancelled;
    EXPECT_TRUE(SaysUnsupported({"notes.txt"}, notStarted));
    EXPECT_FALSE(SaysUnsupported({}, notStarted));  // an empty command line says nothing
    EXPECT_FALSE(SaysUnsupported({"a.jww"}, finished));
    EXPECT_FALSE(SaysUnsupported({"a.jww"}, cancelled));
}

}  // namespace
}  // namespace velmora
