// The library file itself: a 64-bit DLL without code to run, and the list of what it holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/resources/resource_module.h"

namespace {

using q7test::ResourceKey;

std::vector<BYTE> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reads the PE headers of the library file on disk, without the loader.
class ResourceLibraryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = ReadFile("Q7Resource.dll");
    ASSERT_GT(file_.size(), sizeof(IMAGE_DOS_HEADER));
    const auto dos = q7test::ReadAt<IMAGE_DOS_HEADER>(file_, 0);
    ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
    nt_offset_ = static_cast<size_t>(dos.e_lfanew);
    nt_ = q7test::ReadAt<IMAGE_NT_HEADERS64>(file_, nt_offset_);
    ASSERT_EQ(nt_.Signature, IMAGE_NT_SIGNATURE);
  }

  // File offset of a relative virtual address, or 0 when no section holds it.
  size_t OffsetOf(DWORD rva) const {
    const size_t first =
        nt_offset_ + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt_.FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt_.FileHeader.NumberOfSections; ++i) {
      const auto s = q7test::ReadAt<IMAGE_SECTION_HEADER>(file_, first + i * sizeof(IMAGE_SECTION_HEADER));
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
        return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return 0;
  }

  std::string StringAt(DWORD rva) const {
    std::string s;
    for (size_t p = OffsetOf(rva); p && p < file_.size() && file_[p]; ++p) s.push_back(static_cast<char>(file_[p]));
    return s;
  }

  std::vector<BYTE> file_;
  size_t nt_offset_ = 0;
  IMAGE_NT_HEADERS64 nt_{};
};

TEST_F(ResourceLibraryFile, IsA64BitDll) {
  EXPECT_EQ(nt_.FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(nt_.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
  EXPECT_TRUE(nt_.FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST_F(ResourceLibraryFile, HasNoEntryPoint) { EXPECT_EQ(nt_.OptionalHeader.AddressOfEntryPoint, 0u); }

TEST_F(ResourceLibraryFile, ExportsNoFunctionsAndNamesItself) {
  const auto dir = nt_.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir.VirtualAddress == 0) return;  // no export table at all is as good
  const size_t at = OffsetOf(dir.VirtualAddress);
  ASSERT_NE(at, 0u);
  const auto exports = q7test::ReadAt<IMAGE_EXPORT_DIRECTORY>(file_, at);
  EXPECT_EQ(exports.NumberOfFunctions, 0u);
  EXPECT_EQ(exports.NumberOfNames, 0u);
  EXPECT_EQ(StringAt(exports.Name), "Q7Resource.dll");
}

TEST_F(ResourceLibraryFile, ImportsNothing) {
  const auto dir = nt_.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return;
  const size_t at = OffsetOf(dir.VirtualAddress);
  ASSERT_NE(at, 0u);
  // Only the terminating empty descriptor may be there.
  const auto first = q7test::ReadAt<IMAGE_IMPORT_DESCRIPTOR>(file_, at);
  EXPECT_EQ(first.Name, 0u);
  EXPECT_EQ(first.FirstThunk, 0u);
}

TEST(ResourceLibraryLoad, LoadsByFileNameAndAsDataFile) {
  // Plain loading would run an entry point if there were one; there is none to fail.
  q7test::LoadedModule plain(q7test::kLibraryName);
  ASSERT_NE(plain.get(), nullptr) << GetLastError();
  q7test::LoadedModule data(q7test::kLibraryName, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data.get(), nullptr) << GetLastError();
  wchar_t text[64] = {};
  EXPECT_GT(LoadStringW(data.get(), IDS_TIP_PLAY, text, 64), 0);
  EXPECT_STREQ(text, L"Play");
  EXPECT_NE(FindResourceExW(data.get(), RT_DIALOG, MAKEINTRESOURCEW(IDD_CONTROL_PANEL), q7test::kKorean), nullptr);
}

std::set<ResourceKey> ExpectedInventory() {
  std::set<ResourceKey> keys;
  auto add = [&keys](LPCWSTR type, int id) {
    keys.insert({q7test::IdText(type), L"#" + std::to_wstring(id), q7test::kKorean});
  };
  for (int id : {134,  9300, 9301, 9302, 9321, 9322, 9323, 9324, 9325, 9326, 9327, 9329,
                 9331, 9332, 9333, 9334, 9335, 9336, 9337, 9338, 9339, 9340, 9341})
    add(RT_BITMAP, id);
  for (int id = 1; id <= 9; ++id) add(RT_ICON, id);
  add(RT_GROUP_ICON, IDI_APP);
  add(RT_CURSOR, 10);
  add(RT_GROUP_CURSOR, IDC_OPEN_HAND);
  for (int id : {IDD_CONTROL_PANEL, IDD_PROPERTIES, IDD_VIDEO_WINDOW, IDD_ABOUT, IDD_FULL_VIEW, IDD_CAPTURE_SERIES,
                 IDD_CALIBRATION})
    add(RT_DIALOG, id);
  // string blocks of sixteen: 9296-9311, 9312-9327, 9328-9343, 9344-9359; 9392-9407 holds the
  // live-information views' texts, 9408-9423 the timed series' texts, 9424-9439 the measuring
  // overlays' texts
  for (int block : {582, 583, 584, 585, 588, 589, 590}) add(RT_STRING, block);
  add(RT_VERSION, 1);
  add(RT_MANIFEST, 1);
  return keys;
}

TEST(ResourceInventory, LibraryHoldsExactlyTheContractInKorean) {
  ASSERT_NE(q7test::Library(), nullptr);
  const auto listed = q7test::ListResources(q7test::Library());
  const std::set<ResourceKey> actual(listed.begin(), listed.end());
  EXPECT_EQ(actual.size(), listed.size()) << "a resource is listed twice";
  const auto expected = ExpectedInventory();
  for (const auto& k : expected) {
    EXPECT_TRUE(actual.count(k)) << "missing: type " << std::string(k.type.begin(), k.type.end()) << " name "
                                 << std::string(k.name.begin(), k.name.end());
  }
  for (const auto& k : actual) {
    EXPECT_TRUE(expected.count(k)) << "unexpected: type " << std::string(k.type.begin(), k.type.end()) << " name "
                                   << std::string(k.name.begin(), k.name.end()) << " language " << k.language;
  }
}

TEST(ResourceInventory, ProgramModuleCarriesTheSameResources) {
  // This test program links the same compiled resources as the viewer does.
  HMODULE self = GetModuleHandleW(nullptr);
  const auto library = q7test::ListResources(q7test::Library());
  ASSERT_FALSE(library.empty());
  for (const auto& k : library) {
    const auto ours =
        q7test::ResourceBytes(q7test::Library(), q7test::IdFromText(k.type), q7test::IdFromText(k.name), k.language);
    const auto theirs = q7test::ResourceBytes(self, q7test::IdFromText(k.type), q7test::IdFromText(k.name), k.language);
    EXPECT_FALSE(ours.empty());
    EXPECT_EQ(ours, theirs) << "differs: type " << std::string(k.type.begin(), k.type.end()) << " name "
                            << std::string(k.name.begin(), k.name.end());
  }
}

}  // namespace
