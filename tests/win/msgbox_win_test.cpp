// The message box routine: the responder seam and the real box under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include "scripted_ui.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"

namespace plivex {
namespace {

TEST(MsgBox, ResponderSeesTheCaptionAsShown) {
    std::vector<test::Shown> seen;
    ui::SetMsgBoxResponder([&](const std::string& t, const std::string& c, unsigned s) {
        seen.push_back({t, c, s});
        return MsgAnswer::kNo;
    });
    EXPECT_EQ(ui::MsgBox("質問", "", 36), MsgAnswer::kNo);
    EXPECT_EQ(ui::MsgBox("C:\\x.txt", "オープン失敗", 48), MsgAnswer::kNo);
    ui::SetMsgBoxResponder(nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, "プリベックス");
    EXPECT_EQ(seen[0].text, "質問");
    EXPECT_EQ(seen[0].style, 36u);
    EXPECT_EQ(seen[1].caption, "オープン失敗");
}

// Finds the real message box of this thread and presses No on it.
std::wstring g_caption, g_text;
BOOL CALLBACK PressNo(HWND hwnd, LPARAM pressed) {
    wchar_t cls[32];
    GetClassNameW(hwnd, cls, 32);
    if (std::wstring(cls) != L"#32770") return TRUE;
    wchar_t buf[256];
    GetWindowTextW(hwnd, buf, 256);
    g_caption = buf;
    HWND textCtl = GetDlgItem(hwnd, 0xFFFF);
    if (textCtl) {
        GetWindowTextW(textCtl, buf, 256);
        g_text = buf;
    }
    SendMessageW(GetDlgItem(hwnd, IDNO), BM_CLICK, 0, 0);
    *reinterpret_cast<bool*>(pressed) = true;
    return FALSE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    bool pressed = false;
    EnumThreadWindows(GetCurrentThreadId(), PressNo, reinterpret_cast<LPARAM>(&pressed));
    if (pressed) KillTimer(nullptr, id);
}

TEST(MsgBox, RealBoxShowsTheApplicationTitleAndReturnsTheButton) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnTimer);
    ASSERT_NE(timer, 0u);
    EXPECT_EQ(ui::MsgBox("解凍ファイル名は \"C:\\a.txt\" で合っていますか？", "", 36), MsgAnswer::kNo);
    KillTimer(nullptr, timer);
    EXPECT_EQ(Narrow(g_caption), "プリベックス");
    EXPECT_EQ(Narrow(g_text), "解凍ファイル名は \"C:\\a.txt\" で合っていますか？");
}

}  // namespace
}  // namespace plivex
