#include "launch_support.h"

#include <gtest/gtest.h>

#include "pump.h"
#include "scoped_win.h"

namespace {

constexpr char kRecordVariable[] = "KORVEL_RECORD_FILE";
constexpr char kBackupRoot[] = "Software\\KorvelSievraTests\\Saved\\";

// Where class keys are written, and the path of the classes under it.
struct ClassesRoot {
    HKEY root;
    std::string prefix;
};

const ClassesRoot& classesRoot() {
    static const ClassesRoot root = [] {
        constexpr char kProbe[] = "Software\\Classes\\KorvelSievraTest.Probe";
        HKEY made = nullptr;
        bool merged = false;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kProbe, 0, nullptr, 0, KEY_WRITE, nullptr, &made, nullptr) ==
            ERROR_SUCCESS) {
            RegCloseKey(made);
            HKEY seen = nullptr;
            merged = RegOpenKeyExA(HKEY_CLASSES_ROOT, "KorvelSievraTest.Probe", 0, KEY_QUERY_VALUE, &seen) ==
                     ERROR_SUCCESS;
            if (merged) RegCloseKey(seen);
            RegDeleteTreeA(HKEY_CURRENT_USER, kProbe);
        }
        return merged ? ClassesRoot{HKEY_CURRENT_USER, "Software\\Classes\\"} : ClassesRoot{HKEY_CLASSES_ROOT, ""};
    }();
    return root;
}

bool exists(HKEY root, const std::string& path) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

// Copies the key `from` with all below it to `to` (made as needed).
void copyKey(HKEY fromRoot, const std::string& from, HKEY toRoot, const std::string& to) {
    HKEY source = nullptr;
    HKEY target = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(fromRoot, from.c_str(), 0, KEY_READ, &source)) << from;
    const ScopedKey sourceKey(source);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(toRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr))
        << to;
    const ScopedKey targetKey(target);
    ASSERT_EQ(ERROR_SUCCESS, RegCopyTreeA(source, nullptr, target)) << from << " to " << to;
}

void deleteKey(HKEY root, const std::string& path) {
    const LSTATUS status = RegDeleteTreeA(root, path.c_str());
    EXPECT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << path << ": " << status;
}

// Makes a key of the classes (and those above it); empty on failure.
ScopedKey createKey(const std::string& path) {
    HKEY made = nullptr;
    const LSTATUS status =
        RegCreateKeyExA(classesRoot().root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made, nullptr);
    EXPECT_EQ(ERROR_SUCCESS, status) << path;
    return ScopedKey(status == ERROR_SUCCESS ? made : nullptr);
}

// Puts the saved key back in place of whatever is there now.
void restore(const std::string& backup, const std::string& path) {
    const ClassesRoot& classes = classesRoot();
    deleteKey(classes.root, path);
    copyKey(HKEY_CURRENT_USER, backup, classes.root, path);
    if (!testing::Test::HasFatalFailure()) deleteKey(HKEY_CURRENT_USER, backup);
}

}  // namespace

std::string recorderPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    folder.resize(folder.find_last_of('\\') + 1);
    return folder + "link_recorder.exe";
}

LaunchRecord::LaunchRecord() {
    static int made = 0;
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    path_ = std::string(folder) + "korvel-launches-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++made) + ".txt";
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA(kRecordVariable, path_.c_str());
}

LaunchRecord::~LaunchRecord() {
    SetEnvironmentVariableA(kRecordVariable, nullptr);
    DeleteFileA(path_.c_str());
}

std::vector<std::string> LaunchRecord::lines() const {
    std::vector<std::string> lines;
    HANDLE opened = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return lines;
    const ScopedHandle file(opened);
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    // Only whole lines: a recorder may be writing right now.
    for (std::size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

void LaunchRecord::clear() const { DeleteFileA(path_.c_str()); }

bool LaunchRecord::waitFor(std::size_t count, DWORD milliseconds) const {
    return pumpUntil([&] { return lines().size() >= count; }, milliseconds);
}

bool LaunchRecord::staysAt(std::size_t count, DWORD milliseconds) const {
    return !pumpUntil([&] { return lines().size() > count; }, milliseconds);
}

BorrowedClassKey::BorrowedClassKey(std::string name)
    : path_(classesRoot().prefix + name), backup_(kBackupRoot + name) {
    const ClassesRoot& classes = classesRoot();
    // A backup left by a run that died before putting it back is what was
    // there before that run: it goes back first.
    if (exists(HKEY_CURRENT_USER, backup_)) restore(backup_, path_);
    if (exists(classes.root, path_)) {
        copyKey(classes.root, path_, HKEY_CURRENT_USER, backup_);
        if (testing::Test::HasFatalFailure()) return;
        saved_ = true;
    }
    deleteKey(classes.root, path_);
}

BorrowedClassKey::~BorrowedClassKey() {
    if (saved_) {
        restore(backup_, path_);
    } else {
        deleteKey(classesRoot().root, path_);
    }
}

void BorrowedClassKey::create(const std::string& subkey) { createKey(subkey.empty() ? path_ : path_ + "\\" + subkey); }

void BorrowedClassKey::setDefault(const std::string& subkey, DWORD type, const std::string& bytes) {
    const ScopedKey key = createKey(subkey.empty() ? path_ : path_ + "\\" + subkey);
    if (!key) return;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), nullptr, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size())))
        << subkey;
}

void BorrowedClassKey::setText(const std::string& subkey, const std::string& text) {
    setDefault(subkey, REG_SZ, std::string(text.c_str(), text.size() + 1));
}
