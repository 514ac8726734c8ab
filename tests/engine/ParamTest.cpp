#include <gtest/gtest.h>

#include "engine/Param.h"

TEST(IntParam, ClampsAndPrintsPlainDecimal) {
    IntParam p("Brightness", -255, 255, 0);
    EXPECT_TRUE(p.isNumeric);
    p.SetValue(300);
    EXPECT_EQ(p.GetValue(), 255);
    p.SetValue(-300);
    EXPECT_EQ(p.GetValue(), -255);
    EXPECT_EQ(p.GetText(), "-255");
    p.SetValue(7);
    EXPECT_EQ(p.GetText(), "7");
    p.SetText("99");  // numeric parameters ignore texts
    EXPECT_EQ(p.GetValue(), 7);
}

TEST(ChoiceParam, ClampsToItsOptions) {
    ChoiceParam p("Color", {"Red", "Green", "Blue"});
    EXPECT_EQ(p.GetValue(), 0);
    EXPECT_EQ(p.GetMin(), 0);
    EXPECT_EQ(p.GetMax(), 2);
    p.SetValue(7);
    EXPECT_EQ(p.GetText(), "Blue");
    p.SetValue(-1);
    EXPECT_EQ(p.GetText(), "Red");
}

TEST(TextParam, HoldsTextAndReportsZeros) {
    TextParam p("Font", "Arial");
    EXPECT_FALSE(p.isNumeric);
    EXPECT_EQ(p.GetText(), "Arial");
    p.SetValue(5);
    EXPECT_EQ(p.GetValue(), 0);
    EXPECT_EQ(p.GetMin(), 0);
    EXPECT_EQ(p.GetMax(), 0);
    p.SetText(std::string(2000, 'a'));
    EXPECT_EQ(p.GetText().size(), 1023u);
}
