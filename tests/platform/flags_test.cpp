#include "platform/keys.h"
#include <gtest/gtest.h>

TEST(Flags, SetOperations) {
    TShiftState s{ssShift, ssCtrl};
    EXPECT_TRUE(s.Contains(ssShift));
    EXPECT_FALSE(s.Contains(ssAlt));
    EXPECT_TRUE(s.ContainsAll({ssShift, ssCtrl}));
    EXPECT_FALSE(s.ContainsAll({ssShift, ssAlt}));
    EXPECT_TRUE(s.ContainsAny({ssAlt, ssCtrl}));
    s -= ssShift;
    EXPECT_EQ(s, TShiftState(ssCtrl));
    s.Set(ssDouble, true);
    EXPECT_EQ(s.ToBits(), (1u << 2) | (1u << 6));
    EXPECT_TRUE((s - TShiftState{ssCtrl, ssDouble}).Empty());
    EXPECT_EQ(s | ssAlt, (TShiftState{ssAlt, ssCtrl, ssDouble}));
    EXPECT_EQ((s & TShiftState{ssAlt, ssCtrl}), TShiftState(ssCtrl));
}
