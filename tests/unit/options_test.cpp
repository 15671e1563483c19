#include <gtest/gtest.h>

#include "options/options_record.h"

namespace plivex {
namespace {

TEST(Options, DefaultsOfAFirstStart) {
    const Options s;
    EXPECT_TRUE(s.AskBeforeDeletingUnassociated && s.ConfirmMeltedName && s.DeleteSourceAfterEncrypt && s.DeleteContainerAfterMelt && s.ReencryptAfterUse && s.OpenMeltedFile && s.UseNetscapeForHelp);
    EXPECT_FALSE(s.RememberPassword || s.ShowPassword || s.StayOnTop || s.OpenManyMeltedFiles);
    EXPECT_EQ(s.DialogPlacement, kDialogsCentred);
    EXPECT_EQ(s.OnNameClash, kNumberAtClash);
    EXPECT_EQ(static_cast<int>(kNumberAtClash), 2);
    EXPECT_EQ(static_cast<int>(kDialogsBesideOpener), 1);
}

TEST(Options, CopiedWholeIncludingValuesOutsideTheEnumerations) {
    Options a;
    a.OpenMeltedFile = false;
    a.OpenManyMeltedFiles = true;
    a.DialogPlacement = 7;
    a.OnNameClash = 5;
    const Options b = a;
    EXPECT_EQ(b, a);
    EXPECT_EQ(b.DialogPlacement, 7);
    EXPECT_NE(b, Options());
}

}  // namespace
}  // namespace plivex
