// A Polish system (the test list runs this program with LANG=pl_PL.UTF-8): the ANSI code
// page is then 1250 and the system's error texts have Polish letters, which must reach the
// log as UTF-8; and the programs start in Polish until a language is stored.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/settings_store.h"
#include "platform/system_error.h"
#include "scratch_current_user.h"
#include "system_text_oracle.h"

using namespace stravener;

TEST(PolishSystemTextTest, TextsOfAnEightBitCodePageBecomeUtf8) {
  ASSERT_EQ(GetACP(), 1250u) << "run with a Polish system locale";
  int withPolishLetters = 0;
  for (uint32_t code : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_SHARING_VIOLATION, ERROR_INVALID_PARAMETER}) {
    std::string text;
    ASSERT_TRUE(SystemErrorText(code, text)) << code;
    withPolishLetters += HasNonAscii(text) ? 1 : 0;
    EXPECT_TRUE(IsValidUtf8(text)) << text;
    EXPECT_EQ(text, WideSystemText(code));
  }
  EXPECT_GT(withPolishLetters, 0) << "some texts of this locale should have letters beyond ASCII";
}

TEST(PolishSystemTextTest, AFirstStartIsPolishUntilALanguageIsStored) {
  ScratchCurrentUser scratchUser("polish-first-start");
  ASSERT_TRUE(scratchUser.Ok());
  EXPECT_EQ(ReadLanguageSetting(), 0);
  SaveSettings(1, 1, 115200);
  EXPECT_EQ(ReadLanguageSetting(), 1);
}
