// Reads Velmora.exe's resources the way Windows and Explorer do: the icons
// through the system's icon loader, the version record through the version
// API, both from the built program lying beside this test program; and the
// tray icon as the main form loads it from the same images, linked in here.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/session.h"
#include "shell/win32/velmora_forms.h"
#include "tests/win32/forms_fixture.h"
#include "tests/win32/forwarding_desktop.h"

namespace velmora::win32 {
namespace {

using UniqueModule = UniqueHandle<HMODULE, &::FreeLibrary>;

std::wstring VelmoraPath() {
  std::wstring own_path(MAX_PATH, L'\0');
  own_path.resize(::GetModuleFileNameW(nullptr, own_path.data(), MAX_PATH));
  return std::filesystem::path(own_path).replace_filename(L"Velmora.exe").wstring();
}

// The program mapped for its resources only: none of its code runs.
UniqueModule LoadVelmoraResources() {
  return UniqueModule(::LoadLibraryExW(VelmoraPath().c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

// Resource types by number: <windows.h> spells RT_ICON and the others in the
// narrow or wide form after the UNICODE macro, which this build leaves unset.
constexpr int kIconType = 3;
constexpr int kIconGroupType = 14;
constexpr int kManifestType = 24;
// CREATEPROCESS_MANIFEST_RESOURCE_ID: the manifest read when the process starts.
constexpr int kProcessManifestId = 1;

// A resource's bytes, empty when the module does not hold it.
std::vector<BYTE> ResourceBytes(HMODULE module, int id, int type) {
  HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
  if (resource == nullptr) return {};
  const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, resource)));
  if (data == nullptr) return {};
  return {data, data + ::SizeofResource(module, resource)};
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return {};
  BITMAP bitmap{};
  ::GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
  const bool has_colour = info.hbmColor != nullptr;
  if (has_colour) ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  // A monochrome icon stacks its two masks in one bitmap of double height.
  return {bitmap.bmWidth, has_colour ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

// The fields of one GRPICONDIRENTRY that matter here.
struct GroupEntry {
  int width;
  int height;
  int colour_count;
  int bits_per_pixel;
  int image_id;

  bool operator==(const GroupEntry&) const = default;
  friend void PrintTo(const GroupEntry& e, std::ostream* out) {
    *out << e.width << 'x' << e.height << ", " << e.colour_count << " colours, "
         << e.bits_per_pixel << " bpp, id " << e.image_id;
  }
};

// Reads an RT_GROUP_ICON directory: a 6-byte head whose last word is the
// entry count, then packed 14-byte entries.
std::vector<GroupEntry> ReadGroup(const std::vector<BYTE>& group) {
  constexpr std::size_t kHeadBytes = 6;
  constexpr std::size_t kEntryBytes = 14;
  const auto word = [&](std::size_t at) { return group[at] | group[at + 1] << 8; };
  std::vector<GroupEntry> entries;
  if (group.size() < kHeadBytes) return entries;
  const auto count = static_cast<std::size_t>(word(4));
  for (std::size_t i = 0; i < count && kHeadBytes + (i + 1) * kEntryBytes <= group.size(); ++i) {
    const std::size_t at = kHeadBytes + i * kEntryBytes;
    entries.push_back({group[at], group[at + 1], group[at + 2], word(at + 6), word(at + 12)});
  }
  return entries;
}

struct IconCase {
  const char* name;
  int group_id;
  std::span<const IconImageId> images;

  friend void PrintTo(const IconCase& c, std::ostream* out) { *out << c.name; }
};

class VelmoraIconTest : public ::testing::TestWithParam<IconCase> {
 protected:
  UniqueModule module_ = LoadVelmoraResources();
};

TEST_P(VelmoraIconTest, GroupListsEverySizeInSixteenColours) {
  ASSERT_TRUE(module_);
  const IconCase& c = GetParam();
  std::vector<GroupEntry> expected;
  for (const IconImageId& image : c.images) {
    expected.push_back({image.size, image.size, 16, 4, image.id});
  }
  EXPECT_EQ(ReadGroup(ResourceBytes(module_.get(), c.group_id, kIconGroupType)), expected);
}

// The notification area asks for 16 to 40 x 40 pixels from 100 % to 250 %,
// windows and Alt+Tab for 32 x 32 and more: each request must reach the image
// drawn for that size, loaded by the system.
TEST_P(VelmoraIconTest, SystemPicksAndLoadsTheImageOfEachSize) {
  ASSERT_TRUE(module_);
  const IconCase& c = GetParam();
  std::vector<BYTE> group = ResourceBytes(module_.get(), c.group_id, kIconGroupType);
  ASSERT_FALSE(group.empty());
  for (const auto& [size, image_id] : c.images) {
    SCOPED_TRACE(size);
    EXPECT_EQ(::LookupIconIdFromDirectoryEx(group.data(), TRUE, size, size, LR_DEFAULTCOLOR),
              image_id);
    std::vector<BYTE> image = ResourceBytes(module_.get(), image_id, kIconType);
    ASSERT_FALSE(image.empty());
    const UniqueIcon icon(::CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()),
                                                     TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR));
    ASSERT_TRUE(icon);
    const SIZE loaded = IconSize(icon.get());
    EXPECT_EQ(loaded.cx, size);
    EXPECT_EQ(loaded.cy, size);

    const UniqueIcon by_group(static_cast<HICON>(::LoadImageW(
        module_.get(), MAKEINTRESOURCEW(c.group_id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(by_group);
    EXPECT_EQ(IconSize(by_group.get()).cx, size);
  }
}

INSTANTIATE_TEST_SUITE_P(Icons, VelmoraIconTest,
                         ::testing::Values(IconCase{"Eye", kEyeIcon, kEyeImages},
                                           IconCase{"Stopwatch", kBusyIcon, kBusyImages}),
                         [](const auto& info) { return std::string(info.param.name); });

// Passes the icon's requests on to the notification area and notes each with
// its outcome.
class IconWatchingDesktop final : public testing::ForwardingDesktop {
 public:
  bool NotifyIcon(NotifyIconAction action, const TrayIconRecord& record) override {
    const bool done = ForwardingDesktop::NotifyIcon(action, record);
    requests.emplace_back(action, done);
    return done;
  }

  std::vector<std::pair<NotifyIconAction, bool>> requests;
};

// The legibility runs repeat this at each DPI: 16, 20, 24 and 32 pixels at
// 100, 125, 150 and 200 %. A rescaled notification area broadcasts
// TaskbarCreated while it still holds the icon.
TEST_F(FormsTest, TrayIcon_TaskbarCreatedWhileShown_ChangesItToTheTaskbarsSmallIconSize) {
  IconWatchingDesktop desktop;
  Win32Session session;
  VelmoraForms forms(runtime_, state_, desktop, pump_, session);
  forms.LoadMainForm();
  const HWND main_form = ToHwnd(forms.MainWindow());
  const HDC screen = ::GetDC(nullptr);
  const int size = ::MulDiv(16, ::GetDeviceCaps(screen, LOGPIXELSX), 96);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(IconSize(ToHicon(state_.TrayIconData.hIcon)).cx, size);

  ::SendMessageW(main_form, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);

  using Request = std::pair<NotifyIconAction, bool>;
  EXPECT_EQ(desktop.requests, (std::vector<Request>{{NotifyIconAction::kAdd, true},
                                                    {NotifyIconAction::kSetVersion, true},
                                                    {NotifyIconAction::kModify, true}}));
  EXPECT_EQ(state_.TrayIconData.hIcon, forms.PictureHandle(Picture::kImage1));
  EXPECT_EQ(IconSize(ToHicon(state_.TrayIconData.hIcon)).cx, size);
  forms.Unload(FormId::kForm1);
}

TEST(VelmoraResourcesTest, ManifestIsEmbedded) {
  const UniqueModule module = LoadVelmoraResources();
  ASSERT_TRUE(module);
  EXPECT_FALSE(
      ResourceBytes(module.get(), kProcessManifestId, kManifestType).empty());
}

class VelmoraVersionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring path = VelmoraPath();
    DWORD ignored = 0;
    record_.resize(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(record_.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(record_.size()),
                                      record_.data()));
  }

  // The value at `key`, or null when the record lacks it.
  const void* Query(const std::wstring& key, UINT* length) {
    void* value = nullptr;
    *length = 0;
    if (!::VerQueryValueW(record_.data(), key.c_str(), &value, length)) return nullptr;
    return value;
  }

  std::vector<BYTE> record_;
};

TEST_F(VelmoraVersionTest, FrenchStringsAreExact) {
  const std::pair<const wchar_t*, std::wstring> kExpected[] = {
      {L"FileVersion", L"1.00"},
      {L"ProductVersion", L"1.00"},
      {L"ProductName", L"Velmora"},
      {L"InternalName", L"Velmora"},
      {L"OriginalFilename", L"Velmora.exe"},
      {L"CompanyName", L"Velmora"},
      {L"LegalCopyright", L"Copyright (c) 2026 The Velmora project"},
      // Accented: the .rc file's UTF-8 must reach the record as UTF-16.
      {L"FileDescription", L"Ferme les fenêtres de navigateur et les boîtes de dialogue"},
  };
  for (const auto& [name, expected] : kExpected) {
    UINT length = 0;
    const auto* value =
        static_cast<const wchar_t*>(Query(std::wstring(L"\\StringFileInfo\\040C04B0\\") + name, &length));
    ASSERT_NE(value, nullptr) << "missing " << ::testing::PrintToString(std::wstring(name));
    EXPECT_EQ(std::wstring(value), expected);
  }
}

TEST_F(VelmoraVersionTest, TranslationIsFrenchUnicode) {
  UINT length = 0;
  const auto* translation = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", &length));
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(length, 2 * sizeof(WORD));
  EXPECT_EQ(translation[0], 0x040C);
  EXPECT_EQ(translation[1], 0x04B0);
}

TEST_F(VelmoraVersionTest, FixedVersionIsOneZero) {
  UINT length = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", &length));
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
  for (const auto& [most, least] : {std::pair{fixed->dwFileVersionMS, fixed->dwFileVersionLS},
                                    std::pair{fixed->dwProductVersionMS, fixed->dwProductVersionLS}}) {
    EXPECT_EQ(most, 0x00010000u);
    EXPECT_EQ(least, 0u);
  }
}

}  // namespace
}  // namespace velmora::win32
