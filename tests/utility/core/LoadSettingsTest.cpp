// Against the real registry: values this test adds are removed again, and the service key is
// deleted at the end when it did not exist before.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "framework/RegKey.h"
#include "utility/core/LoadSettings.h"

namespace {

using namespace ULoadSettings;

const wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\VelmoraEX";

class LoadSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        serviceExisted = CRegKey().Open(HKEY_LOCAL_MACHINE, kServiceKey, KEY_READ) == ERROR_SUCCESS;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kLoadSettingsKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
        before = ValueNames();
    }
    void TearDown() override {
        for (const std::wstring& name : ValueNames()) {
            if (!before.count(name)) RegDeleteValueW(key.Get(), name.c_str());
        }
        key.Reset();
        if (!serviceExisted) {
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, kServiceKey);
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, kServiceKey);
        }
    }

    std::set<std::wstring> ValueNames() {
        std::set<std::wstring> names;
        for (DWORD i = 0;; ++i) {
            wchar_t name[16384];
            DWORD length = 16384;
            if (RegEnumValueW(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.insert(std::wstring(name, length));
        }
        return names;
    }
    void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    void SetString(const std::wstring& name, const std::wstring& text) {
        SetRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    }
    // REG_SZ data of size bytes taken from text, stored exactly: the registry adds a terminator
    // to counted data that is followed by a zero, so the buffer goes on with other characters.
    void SetUnterminated(const std::wstring& name, const std::wstring& text, DWORD size) {
        std::wstring buffer = text + L"XX";
        SetRaw(name, REG_SZ, buffer.c_str(), size);
    }
    // Type and raw bytes of a value; false when it is missing.
    bool Query(const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
        DWORD size = 0;
        if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        data.resize(size);
        return RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
    }
    bool Exists(const std::wstring& name) {
        DWORD type;
        std::vector<BYTE> data;
        return Query(name, type, data);
    }

    CRegKey key;
    bool serviceExisted = false;
    std::set<std::wstring> before;
};

TEST_F(LoadSettingsTest, RegisterWritesTheFirstFreeNumberWithoutTerminator) {
    if (!before.empty()) GTEST_SKIP() << "the key already holds values";
    SetString(L"StartUp0", L"C:\\other\\VelmoraEX0.ini");
    SetString(L"StartUp1", L"C:\\other\\VelmoraEX1.ini");
    SetString(L"StartUp3", L"C:\\other\\VelmoraEX3.ini");
    const std::wstring path = L"C:\\ProgramData\\Norvane\\VelmoraEX\\VelmoraEX7.ini";

    EXPECT_FALSE(RegisterAtStartup(path));  // false: it was written now
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(Query(L"StartUp2", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // The path is written without its zero; the registry itself appends one to counted data
    // that a zero follows in memory.
    std::wstring stored(data.size() / sizeof(wchar_t), L'\0');
    memcpy(&stored[0], data.data(), stored.size() * sizeof(wchar_t));
    EXPECT_TRUE(stored == path || stored == path + L'\0') << stored.size();
    EXPECT_TRUE(IsRegisteredAtStartup(path));

    // Already registered (compared without case): true, and nothing is added.
    const size_t count = ValueNames().size();
    EXPECT_TRUE(RegisterAtStartup(L"c:\\programdata\\NORVANE\\velmoraex\\VelmoraEX7.INI"));
    EXPECT_EQ(ValueNames().size(), count);
    EXPECT_FALSE(Exists(L"StartUp4"));
}

TEST_F(LoadSettingsTest, RegisteredUnderAnyNameCountsAndAddsNothing) {
    const std::wstring path = L"C:\\data\\VelmoraEX5.ini";
    SetString(L"StartUp5", path);
    const size_t count = ValueNames().size();
    EXPECT_TRUE(RegisterAtStartup(path));
    EXPECT_EQ(ValueNames().size(), count);

    SetString(L"Something else", L"C:\\data\\VelmoraEX6.ini");
    EXPECT_TRUE(IsRegisteredAtStartup(L"C:\\DATA\\velmoraex6.ini"));
    EXPECT_FALSE(IsRegisteredAtStartup(L"C:\\data\\VelmoraEX6.in"));
}

TEST_F(LoadSettingsTest, UnregisterDeletesTheMatchingValues) {
    const std::wstring path = L"C:\\data\\VelmoraEX8.ini";
    SetString(L"StartUp40", L"C:\\data\\VelmoraEX9.ini");
    SetString(L"StartUp41", path);
    SetString(L"StartUp42", L"c:\\DATA\\VelmoraEX8.INI");  // the same path registered twice

    EXPECT_EQ(UnregisterAtStartup(path), 0);
    EXPECT_FALSE(Exists(L"StartUp41"));
    EXPECT_FALSE(Exists(L"StartUp42"));
    EXPECT_TRUE(Exists(L"StartUp40"));
    EXPECT_FALSE(IsRegisteredAtStartup(path));

    const size_t count = ValueNames().size();
    EXPECT_EQ(UnregisterAtStartup(path), 1);  // nothing matches
    EXPECT_EQ(ValueNames().size(), count);
}

TEST_F(LoadSettingsTest, ReadTakesEveryStringValueAndSkipsOtherTypes) {
    const DWORD number = 7;
    const wchar_t expand[] = L"%TEMP%\\VelmoraEX1.ini";
    const wchar_t multi[] = L"C:\\a.ini\0C:\\b.ini\0";
    const BYTE binary[] = {'C', 0, ':', 0};
    SetRaw(L"t-dword", REG_DWORD, &number, sizeof number);
    SetRaw(L"t-expand", REG_EXPAND_SZ, expand, sizeof expand);
    SetRaw(L"t-multi", REG_MULTI_SZ, multi, sizeof multi);
    SetRaw(L"t-binary", REG_BINARY, binary, sizeof binary);
    // Terminated, unterminated, with a zero inside, with an odd byte count, and empty.
    const wchar_t terminated[] = L"C:\\t\\VelmoraEX0.ini";
    SetRaw(L"t-terminated", REG_SZ, terminated, sizeof terminated);
    const std::wstring unterminated = L"C:\\u\\VelmoraEX1.ini";
    SetUnterminated(L"t-unterminated", unterminated, static_cast<DWORD>(unterminated.size() * sizeof(wchar_t)));
    const wchar_t inner[] = L"C:\\z.ini\0junk";
    SetRaw(L"t-inner-zero", REG_SZ, inner, sizeof inner - sizeof(wchar_t));
    SetUnterminated(L"t-odd", L"C:\\o.ini", 17);
    SetRaw(L"t-empty", REG_SZ, L"", 0);

    LoadSettingsMap values = ReadLoadSettings();
    for (const wchar_t* skipped : {L"t-dword", L"t-expand", L"t-multi", L"t-binary"})
        EXPECT_EQ(values.count(skipped), 0u) << std::string(skipped, skipped + wcslen(skipped));
    EXPECT_EQ(values[L"t-terminated"], L"C:\\t\\VelmoraEX0.ini");
    EXPECT_EQ(values[L"t-unterminated"], L"C:\\u\\VelmoraEX1.ini");
    EXPECT_EQ(values[L"t-inner-zero"], L"C:\\z.ini");
    EXPECT_EQ(values[L"t-odd"], L"C:\\o.ini");
    ASSERT_EQ(values.count(L"t-empty"), 1u);
    EXPECT_EQ(values[L"t-empty"], L"");

    // The stored bytes really are unterminated.
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(Query(L"t-unterminated", type, data));
    EXPECT_EQ(data.size(), unterminated.size() * sizeof(wchar_t));
    ASSERT_TRUE(Query(L"t-odd", type, data));
    EXPECT_EQ(data.size(), 17u);
}

TEST_F(LoadSettingsTest, LongNamesAndDataGrowTheBuffers) {
    // Written first so that short values are enumerated after the buffers have grown.
    const std::wstring longName(300, L'n');
    const std::wstring longerName(5000, L'm');
    std::wstring longData = L"C:\\";
    while (longData.size() < 6000) longData += L"folder\\";
    longData += L"VelmoraEX0.ini";
    SetString(longName, L"C:\\n\\VelmoraEX0.ini");
    SetString(longerName, longData);
    SetUnterminated(L"t-long-data", longData + L"x", static_cast<DWORD>((longData.size() + 1) * sizeof(wchar_t)));
    SetString(L"t-after", L"C:\\after.ini");

    LoadSettingsMap values = ReadLoadSettings();
    EXPECT_EQ(values[longName], L"C:\\n\\VelmoraEX0.ini");
    EXPECT_EQ(values[longerName], longData);
    EXPECT_EQ(values[L"t-long-data"], longData + L"x");
    EXPECT_EQ(values[L"t-after"], L"C:\\after.ini");
    EXPECT_TRUE(IsRegisteredAtStartup(longData));
    EXPECT_EQ(UnregisterAtStartup(longData), 0);
    EXPECT_FALSE(Exists(longerName));
}

TEST_F(LoadSettingsTest, MissingKeyReadsAsNothingRegistered) {
    if (serviceExisted) GTEST_SKIP() << "the service key belongs to an installation";
    key.Reset();
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, kServiceKey), ERROR_SUCCESS);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kServiceKey);

    EXPECT_TRUE(ReadLoadSettings().empty());
    EXPECT_FALSE(IsRegisteredAtStartup(L"C:\\x\\VelmoraEX0.ini"));
    EXPECT_EQ(UnregisterAtStartup(L"C:\\x\\VelmoraEX0.ini"), 1);

    // Registering creates the key and its first value.
    EXPECT_FALSE(RegisterAtStartup(L"C:\\x\\VelmoraEX0.ini"));
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kLoadSettingsKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(L"StartUp0"));
    EXPECT_TRUE(IsRegisteredAtStartup(L"C:\\x\\VelmoraEX0.ini"));
}

}  // namespace
