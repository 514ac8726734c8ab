#include <gtest/gtest.h>

#include "engine/Param.h"

// Each kind of parameter clamps what it is given and prints it its own way.
TEST(Param, KindsClampAndPrint) {
    IntParam number("Brightness", -255, 255, 0);
    ChoiceParam choice("Color", {"Red", "Green", "Blue"});
    TextParam text("Font", "Arial");
    struct Case {
        Param& param;
        int set;
        int value;
        std::string printed;
    } cases[] = {
        {number, 300, 255, "255"}, {number, -300, -255, "-255"}, {number, 7, 7, "7"},
        {choice, 7, 2, "Blue"},    {choice, -1, 0, "Red"},       {text, 5, 0, "Arial"},
    };
    for (auto& [param, set, value, printed] : cases) {
        param.SetValue(set);
        EXPECT_EQ(param.GetValue(), value) << param.name << " " << set;
        EXPECT_EQ(param.GetText(), printed) << param.name << " " << set;
    }
    // Ranges: a choice spans its options, a text has none.
    EXPECT_EQ(std::pair(choice.GetMin(), choice.GetMax()), (std::pair<int16_t, int16_t>(0, 2)));
    EXPECT_EQ(std::pair(text.GetMin(), text.GetMax()), (std::pair<int16_t, int16_t>(0, 0)));
    EXPECT_FALSE(text.isNumeric);
    number.SetText("99");  // numeric parameters ignore texts
    EXPECT_EQ(number.GetValue(), 7);
    text.SetText(std::string(2000, 'a'));
    EXPECT_EQ(text.GetText().size(), 1023u);
}
