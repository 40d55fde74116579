// The version block and the application manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/resources/resource_module.h"

namespace {

// One node of a VS_VERSIONINFO tree.
struct VersionNode {
  std::wstring key;
  WORD type = 0;  // 1 text, 0 binary
  std::vector<BYTE> value;
  std::vector<VersionNode> children;
};

size_t Align4(size_t n) { return (n + 3) & ~size_t{3}; }

VersionNode ParseVersionNode(const std::vector<BYTE>& bytes, size_t at, size_t* end) {
  VersionNode node;
  const WORD length = q7test::ReadAt<WORD>(bytes, at);
  const WORD value_length = q7test::ReadAt<WORD>(bytes, at + 2);
  node.type = q7test::ReadAt<WORD>(bytes, at + 4);
  size_t p = at + 6;
  for (wchar_t c; (c = q7test::ReadAt<wchar_t>(bytes, p)) != 0 && p < bytes.size(); p += 2) node.key.push_back(c);
  p = Align4(p + 2);
  const size_t value_bytes = node.type == 1 ? value_length * 2u : value_length;
  if (p + value_bytes <= bytes.size()) node.value.assign(bytes.begin() + p, bytes.begin() + p + value_bytes);
  p = Align4(p + value_bytes);
  const size_t limit = at + length;
  while (p + 6 <= limit && length > 0) {
    size_t next = 0;
    node.children.push_back(ParseVersionNode(bytes, p, &next));
    if (next <= p) break;
    p = Align4(next);
  }
  *end = at + (length ? length : 6);
  return node;
}

std::wstring Text(const VersionNode& node) {
  std::wstring s(reinterpret_cast<const wchar_t*>(node.value.data()), node.value.size() / 2);
  while (!s.empty() && s.back() == 0) s.pop_back();
  return s;
}

const VersionNode* Child(const VersionNode& node, const std::wstring& key) {
  for (const auto& c : node.children)
    if (c.key == key) return &c;
  return nullptr;
}

class ResourceVersion : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto bytes = q7test::ResourceBytes(q7test::Library(), RT_VERSION, 1);
    ASSERT_FALSE(bytes.empty());
    size_t end = 0;
    root_ = ParseVersionNode(bytes, 0, &end);
    ASSERT_EQ(root_.key, L"VS_VERSION_INFO");
  }
  VersionNode root_;
};

TEST_F(ResourceVersion, FixedInfoNamesVersion130AndAnApplication) {
  ASSERT_EQ(root_.value.size(), sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO f{};
  std::memcpy(&f, root_.value.data(), sizeof f);
  EXPECT_EQ(f.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(f.dwFileVersionMS, 0x00010003u);
  EXPECT_EQ(f.dwFileVersionLS, 0u);
  EXPECT_EQ(f.dwProductVersionMS, 0x00010003u);
  EXPECT_EQ(f.dwProductVersionLS, 0u);
  EXPECT_EQ(f.dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(f.dwFileFlags, 0u);
  EXPECT_EQ(f.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(f.dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(f.dwFileSubtype, 0u);
}

TEST_F(ResourceVersion, OneKoreanStringTableWithTheSixFields) {
  const auto* info = Child(root_, L"StringFileInfo");
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(info->children.size(), 1u);
  EXPECT_EQ(info->children[0].key, L"041203b5");
  std::map<std::wstring, std::wstring> fields;
  for (const auto& s : info->children[0].children) fields[s.key] = Text(s);
  const std::map<std::wstring, std::wstring> expected = {
      {L"CompanyName", L"ORMELAN"},
      {L"FileDescription", L"VistalViewer"},
      {L"FileVersion", L"1, 3, 0, 0"},
      {L"LegalCopyright", L"Copyright (C) ORMELAN. All rights reserved."},
      {L"LegalTrademarks", L"TK Lumora-Q7 is a trademark of ORMELAN."},
      {L"ProductVersion", L"1.0.0.1"},
  };
  EXPECT_EQ(fields, expected);
}

TEST_F(ResourceVersion, TranslationIsKoreanCodePage949) {
  const auto* vars = Child(root_, L"VarFileInfo");
  ASSERT_NE(vars, nullptr);
  const auto* translation = Child(*vars, L"Translation");
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(translation->value.size(), 4u);
  EXPECT_EQ(q7test::ReadAt<WORD>(translation->value, 0), 0x0412);
  EXPECT_EQ(q7test::ReadAt<WORD>(translation->value, 2), 0x03B5);
}

TEST(ResourceVersionApi, SystemReadsTheLibraryFilesVersion) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(q7test::kLibraryName, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(q7test::kLibraryName, 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\041203b5\\FileDescription", &value, &length));
  EXPECT_STREQ(static_cast<const wchar_t*>(value), L"VistalViewer");
}

std::string Manifest() {
  const auto bytes = q7test::ResourceBytes(q7test::Library(), RT_MANIFEST, 1);
  return std::string(bytes.begin(), bytes.end());
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(ResourceManifest, NamesTheAmd64ArchitectureEverywhere) {
  const auto m = Manifest();
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(Count(m, "processorArchitecture="), 2u);
  EXPECT_EQ(Count(m, "processorArchitecture=\"amd64\""), 2u);
  EXPECT_EQ(Count(m, "x86"), 0u);
}

TEST(ResourceManifest, AsksForVersion6CommonControls) {
  const auto m = Manifest();
  EXPECT_EQ(m.rfind("<?xml", 0), 0u) << "UTF-8 text without a byte-order mark";
  EXPECT_NE(m.find("encoding=\"UTF-8\""), std::string::npos);
  EXPECT_NE(m.find("name=\"XpTheme\""), std::string::npos);
  EXPECT_NE(m.find("version=\"5.1.0.0\""), std::string::npos);
  EXPECT_NE(m.find("type=\"win32\""), std::string::npos);
  EXPECT_NE(m.find("<description>XpTheme</description>"), std::string::npos);
  EXPECT_NE(m.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
  EXPECT_NE(m.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(m.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
  EXPECT_NE(m.find("language=\"*\""), std::string::npos);
}

}  // namespace
