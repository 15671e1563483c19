// The resources of resources/plivex.rc as Windows and the shell read them from
// a built executable: version information, the icon, the manifest and the
// tool-button bitmaps. This test program links the same resource object as
// plivex.exe, so it checks its own file; with PLIVEX_PVX_EXE it also checks
// pvx.exe from outside, as Explorer would.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "version.h"

#ifndef PLIVEX_RESOURCE_DIR
#error "PLIVEX_RESOURCE_DIR must name the resources folder of the source tree"
#endif

namespace {

// "プリベックス" as UTF-16 code units, spelt out so that the expectation does
// not depend on how this file's encoding is read.
const std::wstring kProductName = L"\u30D7\u30EA\u30D9\u30C3\u30AF\u30B9";

std::wstring Widen(const char* s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, s, -1, w.data(), n);
    return w;
}

// Windows paths from CMake come with forward slashes; LoadLibraryEx wants backslashes.
std::wstring WinPath(const char* s) {
    std::wstring w = Widen(s);
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

std::wstring OwnPath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::wstring SourceFile(const wchar_t* name) {
    return WinPath(PLIVEX_RESOURCE_DIR) + L"\\" + name;
}

// --- version information ---

class VersionInfo {
public:
    explicit VersionInfo(const std::wstring& exe) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
        if (size == 0) return;
        data_.resize(size);
        if (!GetFileVersionInfoW(exe.c_str(), 0, size, data_.data())) data_.clear();
    }
    bool present() const { return !data_.empty(); }

    std::optional<std::wstring> String(const std::wstring& name) const {
        void* p = nullptr;
        UINT len = 0;
        const std::wstring key = L"\\StringFileInfo\\041104B0\\" + name;
        if (data_.empty() || !VerQueryValueW(data_.data(), key.c_str(), &p, &len) || !p) return std::nullopt;
        // len counts characters and may include the terminating NUL.
        std::wstring s(static_cast<const wchar_t*>(p), len);
        while (!s.empty() && s.back() == L'\0') s.pop_back();
        return s;
    }

    const VS_FIXEDFILEINFO* Fixed() const {
        void* p = nullptr;
        UINT len = 0;
        if (data_.empty() || !VerQueryValueW(data_.data(), L"\\", &p, &len) || len < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(p);
    }

    std::vector<WORD> Translation() const {
        void* p = nullptr;
        UINT len = 0;
        if (data_.empty() || !VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &p, &len)) return {};
        const WORD* w = static_cast<const WORD*>(p);
        return std::vector<WORD>(w, w + len / sizeof(WORD));
    }

private:
    std::vector<BYTE> data_;
};

void ExpectProductStrings(const std::wstring& exe, const std::wstring& description,
                          const std::wstring& original, const std::wstring& internal) {
    const VersionInfo v(exe);
    ASSERT_TRUE(v.present()) << "no version information, error " << GetLastError();
    EXPECT_EQ(v.String(L"ProductName"), kProductName);
    EXPECT_EQ(v.String(L"FileDescription"), description);
    EXPECT_EQ(v.String(L"CompanyName"), L"Plivex Project");
    EXPECT_EQ(v.String(L"LegalCopyright"), L"Copyright (C) 2026 Plivex Project");
    EXPECT_EQ(v.String(L"OriginalFilename"), original);
    EXPECT_EQ(v.String(L"InternalName"), internal);
    EXPECT_EQ(v.String(L"FileVersion"), L"3.34");
    EXPECT_EQ(v.String(L"ProductVersion"), L"3.34");

    const VS_FIXEDFILEINFO* f = v.Fixed();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(f->dwFileVersionMS, static_cast<DWORD>(MAKELONG(34, 3)));
    EXPECT_EQ(f->dwFileVersionLS, 0u);
    EXPECT_EQ(f->dwProductVersionMS, static_cast<DWORD>(MAKELONG(34, 3)));
    EXPECT_EQ(f->dwProductVersionLS, 0u);
    EXPECT_EQ(f->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(f->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));

    // Tools look the string block up through this pair.
    EXPECT_EQ(v.Translation(), (std::vector<WORD>{0x0411, 1200}));
}

TEST(VersionResource, CarriesTheJapaneseProductStringsAndVersion) {
    ExpectProductStrings(OwnPath(), kProductName, L"plivex.exe", L"plivex");
}

TEST(VersionResource, AgreesWithVersionHeader) {
    // The about box shows version.h; Explorer shows the resource.
    const VersionInfo v(OwnPath());
    ASSERT_TRUE(v.present());
    EXPECT_EQ(v.String(L"FileVersion"), Widen(PLIVEX_VERSION_STRING));
    const VS_FIXEDFILEINFO* f = v.Fixed();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(HIWORD(f->dwFileVersionMS), PLIVEX_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(f->dwFileVersionMS), PLIVEX_VERSION_MINOR);
}

// --- icon ---

struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> bgra;  // top-down rows
};

// The colour image of an icon, 32 bits per pixel with alpha.
Pixels IconPixels(HICON icon) {
    Pixels px;
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return px;
    BITMAP bm{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm)) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = bm.bmWidth;
        bi.bmiHeader.biHeight = -bm.bmHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        px.bgra.resize(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
        HDC dc = GetDC(nullptr);
        if (GetDIBits(dc, info.hbmColor, 0, bm.bmHeight, px.bgra.data(), &bi, DIB_RGB_COLORS) == bm.bmHeight) {
            px.width = bm.bmWidth;
            px.height = bm.bmHeight;
        } else {
            px.bgra.clear();
        }
        ReleaseDC(nullptr, dc);
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return px;
}

// An image of an .ico file of the source tree, for comparison with what the executable yields.
Pixels IcoFilePixels(int size, const wchar_t* file = L"plivex.ico") {
    HICON icon = static_cast<HICON>(
        LoadImageW(nullptr, SourceFile(file).c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
    Pixels px = IconPixels(icon);
    if (icon) DestroyIcon(icon);
    return px;
}

void ExpectRealIconImage(const Pixels& px) {
    // An alpha channel with both fully clear and fully opaque pixels: the
    // 32-bit image arrived, not a mask-only or opaque stand-in.
    int clear = 0, opaque = 0;
    for (DWORD p : px.bgra) {
        if ((p >> 24) == 0) ++clear;
        if ((p >> 24) == 0xFF) ++opaque;
    }
    EXPECT_GT(clear, 0);
    EXPECT_GT(opaque, px.width * px.height / 3);
}

TEST(IconResource, ExecutableHasTheProgramAndTheContainerIconGroups) {
    EXPECT_EQ(ExtractIconExW(OwnPath().c_str(), -1, nullptr, nullptr, 0), 2u);
}

TEST(IconResource, GroupTwoIsTheContainerIcon) {
    // What Explorer shows for .pvx files: DefaultIcon is "<plivex.exe>",-2.
    for (int size : {16, 32, 48, 256}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(2), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        const Pixels mine = IconPixels(icon);
        if (icon) DestroyIcon(icon);
        const Pixels file = IcoFilePixels(size, L"container.ico");
        ASSERT_EQ(file.width, size) << "cannot read container.ico from the source tree";
        EXPECT_EQ(mine.width, size);
        ExpectRealIconImage(mine);
        EXPECT_TRUE(mine.bgra == file.bgra) << size << "x" << size;
    }
    HICON large = nullptr;
    ASSERT_EQ(ExtractIconExW(OwnPath().c_str(), -2, &large, nullptr, 1), 1u);
    EXPECT_TRUE(IconPixels(large).bgra == IcoFilePixels(32, L"container.ico").bgra);
    DestroyIcon(large);
}

TEST(IconResource, FirstIconIsThePlivexIcon) {
    const std::wstring exe = OwnPath();
    HICON large = nullptr, small = nullptr;
    ASSERT_GT(ExtractIconExW(exe.c_str(), 0, &large, &small, 1), 0u);
    ASSERT_NE(large, nullptr);
    ASSERT_NE(small, nullptr);
    const Pixels big = IconPixels(large), little = IconPixels(small);
    DestroyIcon(large);
    DestroyIcon(small);

    // At 96 DPI, the prefix's setting, these are 32 and 16.
    EXPECT_EQ(big.width, 32);
    EXPECT_EQ(big.height, 32);
    EXPECT_EQ(big.width, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(little.width, 16);
    EXPECT_EQ(little.height, 16);
    ExpectRealIconImage(big);
    ExpectRealIconImage(little);

    const Pixels file32 = IcoFilePixels(32);
    ASSERT_EQ(file32.width, 32) << "cannot read plivex.ico from the source tree";
    EXPECT_TRUE(big.bgra == file32.bgra) << "the 32x32 icon is not the one in plivex.ico";

    // The older call the shell and other programs still use.
    HICON first = ExtractIconW(GetModuleHandleW(nullptr), exe.c_str(), 0);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, reinterpret_cast<HICON>(1)) << "not an executable";
    EXPECT_TRUE(IconPixels(first).bgra == file32.bgra);
    DestroyIcon(first);
}

TEST(IconResource, FirstSmallIconIsThePlivex16PixelImage) {
    // Asked alone: asked together with the large one, Wine 8 hands back the
    // right 16x16 shape with slightly altered colours.
    HICON small = nullptr;
    ASSERT_EQ(ExtractIconExW(OwnPath().c_str(), 0, nullptr, &small, 1), 1u);
    const Pixels little = IconPixels(small);
    DestroyIcon(small);
    const Pixels file16 = IcoFilePixels(16);
    ASSERT_EQ(file16.width, 16) << "cannot read plivex.ico from the source tree";
    EXPECT_EQ(little.width, 16);
    EXPECT_TRUE(little.bgra == file16.bgra) << "the 16x16 icon is not the one in plivex.ico";
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

TEST(IconResource, HoldsDrawn16And32And48PixelImagesWithAlpha) {
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(res, nullptr) << "icon group 1 missing";
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    ASSERT_NE(data, nullptr);
    const DWORD size = SizeofResource(nullptr, res);
    ASSERT_GE(size, sizeof(GroupIconHeader));
    GroupIconHeader head;
    std::memcpy(&head, data, sizeof head);
    ASSERT_EQ(size, sizeof head + head.count * sizeof(GroupIconEntry));
    std::vector<int> sizes;
    for (WORD i = 0; i < head.count; ++i) {
        GroupIconEntry e;
        std::memcpy(&e, data + sizeof head + i * sizeof e, sizeof e);
        sizes.push_back(e.width);
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(e.bitCount, 32) << "image " << i;
        // Each size drawn as itself, equal to the file's image of that size.
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   e.width, e.width, LR_DEFAULTCOLOR));
        const Pixels mine = IconPixels(icon);
        if (icon) DestroyIcon(icon);
        EXPECT_EQ(mine.width, e.width);
        EXPECT_TRUE(mine.bgra == IcoFilePixels(e.width).bgra) << e.width << "x" << e.width;
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

// --- manifest ---

std::string ManifestText(HMODULE module) {
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    if (!res) return {};
    const char* p = static_cast<const char*>(LockResource(LoadResource(module, res)));
    return p ? std::string(p, SizeofResource(module, res)) : std::string();
}

void ExpectManifestContent(const std::string& m) {
    ASSERT_FALSE(m.empty()) << "no RT_MANIFEST resource with id 1";
    EXPECT_NE(m.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"), std::string::npos);
    EXPECT_NE(m.find(R"(<requestedExecutionLevel level="asInvoker")"), std::string::npos);
    EXPECT_NE(m.find(R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>)"),
              std::string::npos);
    EXPECT_NE(m.find(R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">)"
                     R"(PerMonitorV2, PerMonitor</dpiAwareness>)"),
              std::string::npos);
    EXPECT_NE(m.find(R"(<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true)"),
              std::string::npos);
    for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",    // 7
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",    // 8
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",    // 8.1
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})  // 10 and 11
        EXPECT_NE(m.find(std::string("<supportedOS Id=\"") + os + "\"/>"), std::string::npos) << os;
}

TEST(Manifest, IsResourceOneWithTheExpectedSettings) {
    ExpectManifestContent(ManifestText(nullptr));
}

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
    return s;
}

TEST(Manifest, BindsCommonControlsVersion6) {
    // The manifest's dependency redirects comctl32.dll to the side-by-side
    // version 6 folder (on Windows and in Wine alike); without it the loader
    // takes version 5 from the system folder. DllGetVersion cannot tell: in
    // Wine both copies report 5.81.
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(comctl, path.data(), MAX_PATH));
    FreeLibrary(comctl);
    const std::wstring p = Lower(path);
    EXPECT_NE(p.find(L"\\winsxs\\"), std::wstring::npos) << p;
    EXPECT_NE(p.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::wstring::npos) << p;
}

TEST(Manifest, LoaderReadsPerMonitorDpiAwareness) {
    // Asks the process's activation context, which the loader built from the
    // manifest. IsProcessDPIAware would not do: Wine answers TRUE even for a
    // program without a manifest. (Looked up at run time: older MinGW headers
    // do not declare it.)
    using QueryFn = BOOL(WINAPI*)(DWORD, HANDLE, const wchar_t*, const wchar_t*, wchar_t*, SIZE_T, SIZE_T*);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryActCtxSettingsW")));
    ASSERT_NE(query, nullptr);
    wchar_t value[64] = {};
    SIZE_T written = 0;
    ASSERT_TRUE(query(0, nullptr, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", value,
                      64, &written))
        << "no dpiAware setting, error " << GetLastError();
    EXPECT_EQ(std::wstring(value), L"true/pm");
    ASSERT_TRUE(query(0, nullptr, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness", value,
                      64, &written))
        << "no dpiAwareness setting, error " << GetLastError();
    EXPECT_EQ(std::wstring(value), L"PerMonitorV2, PerMonitor");
    // What the system made of it: each window at its monitor's DPI.
    using AwarenessFn = int(WINAPI*)(HANDLE);
    using ContextFn = HANDLE(WINAPI*)();
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto awareness = reinterpret_cast<AwarenessFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    auto context = reinterpret_cast<ContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    ASSERT_TRUE(awareness && context);
    EXPECT_EQ(awareness(context()), 2) << "not per-monitor aware";  // DPI_AWARENESS_PER_MONITOR_AWARE
}

// --- tool-button bitmaps ---

struct ToolBitmapCase {
    const wchar_t* name;
    int size;  // 24 for 96 DPI, 36 for 144, 48 for 192
};

class ToolBitmap : public testing::TestWithParam<ToolBitmapCase> {};

TEST_P(ToolBitmap, IsSquareWith16ColoursOnASilverGround) {
    const int size = GetParam().size;
    HRSRC res = FindResourceW(nullptr, GetParam().name, RT_BITMAP);
    ASSERT_NE(res, nullptr);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    ASSERT_NE(data, nullptr);
    BITMAPINFOHEADER h;
    ASSERT_GE(SizeofResource(nullptr, res), sizeof h);
    std::memcpy(&h, data, sizeof h);
    EXPECT_EQ(h.biWidth, size);
    EXPECT_EQ(h.biHeight, size);  // positive: bottom-up, so the first pixel stored is the bottom-left one
    EXPECT_EQ(h.biBitCount, 4);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    const DWORD colours = h.biClrUsed ? h.biClrUsed : 16;
    ASSERT_LE(colours, 16u);
    const DWORD stride = (size * 4 + 31) / 32 * 4;  // rows padded to whole 4-byte words
    ASSERT_EQ(SizeofResource(nullptr, res), h.biSize + colours * sizeof(RGBQUAD) + size * stride);

    const auto* palette = reinterpret_cast<const RGBQUAD*>(data + h.biSize);
    const BYTE* bits = data + h.biSize + colours * sizeof(RGBQUAD);
    auto colour = [&](int index) {
        const RGBQUAD q = palette[index];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    };
    const int ground = bits[0] >> 4;
    ASSERT_LT(static_cast<DWORD>(ground), colours);
    EXPECT_EQ(colour(ground), RGB(0xC0, 0xC0, 0xC0)) << "the bottom-left pixel is the transparent colour";

    // A drawing, not an empty button: a good part of the pixels are not ground.
    int drawn = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const BYTE pair = bits[y * stride + x / 2];
            if (colour(x % 2 == 0 ? pair >> 4 : pair & 0x0F) != RGB(0xC0, 0xC0, 0xC0)) ++drawn;
        }
    }
    EXPECT_GT(drawn, size * size / 4);

    HBITMAP bmp = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), GetParam().name, IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bmp, nullptr);
    BITMAP bm{};
    EXPECT_TRUE(GetObjectW(bmp, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, size);
    EXPECT_EQ(bm.bmHeight, size);
    DeleteObject(bmp);
}

INSTANTIATE_TEST_SUITE_P(Resources, ToolBitmap,
                         testing::Values(ToolBitmapCase{L"SETTING_BMP", 24}, ToolBitmapCase{L"HELP_BMP", 24},
                                         ToolBitmapCase{L"HOMEPAGE_BMP", 24}, ToolBitmapCase{L"ABOUT_BMP", 24},
                                         ToolBitmapCase{L"SETTING_BMP_36", 36}, ToolBitmapCase{L"HELP_BMP_36", 36},
                                         ToolBitmapCase{L"HOMEPAGE_BMP_36", 36}, ToolBitmapCase{L"ABOUT_BMP_36", 36},
                                         ToolBitmapCase{L"SETTING_BMP_48", 48}, ToolBitmapCase{L"HELP_BMP_48", 48},
                                         ToolBitmapCase{L"HOMEPAGE_BMP_48", 48}, ToolBitmapCase{L"ABOUT_BMP_48", 48}),
                         [](const testing::TestParamInfo<ToolBitmapCase>& info) {
                             std::string name;
                             for (const wchar_t* p = info.param.name; *p && *p != L'_'; ++p)
                                 name += static_cast<char>(*p);
                             return name + std::to_string(info.param.size);
                         });

// --- pvx.exe, read from outside ---

#ifdef PLIVEX_PVX_EXE
TEST(PvxResources, CarryVersionInformationAndManifest) {
    const std::wstring exe = WinPath(PLIVEX_PVX_EXE);
    ExpectProductStrings(exe, kProductName + L" \u30B3\u30DE\u30F3\u30C9\u30E9\u30A4\u30F3",  // " コマンドライン"
                         L"pvx.exe", L"pvx");
    EXPECT_EQ(ExtractIconExW(exe.c_str(), -1, nullptr, nullptr, 0), 1u);

    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    ExpectManifestContent(ManifestText(module));
    // The GUI's bitmaps stay out of the console tool.
    EXPECT_EQ(FindResourceW(module, L"SETTING_BMP", RT_BITMAP), nullptr);
    FreeLibrary(module);
}
#endif

}  // namespace
