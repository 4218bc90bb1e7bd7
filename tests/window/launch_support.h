#pragma once

// What the tests that open addresses share: a recorder program standing in
// for the browser, and class registrations written for one test and put back.

#include <windows.h>

#include <string>
#include <vector>

// The recorder's full path: it is built beside the test program.
std::string recorderPath();

// One test's record of launches: a fresh file, named to the programs this
// process starts in KORVEL_RECORD_FILE; every recorder started appends its
// command line to it as one line.
class LaunchRecord {
public:
    LaunchRecord();
    ~LaunchRecord();
    LaunchRecord(const LaunchRecord&) = delete;
    LaunchRecord& operator=(const LaunchRecord&) = delete;

    std::vector<std::string> lines() const;
    // Forgets what was recorded; call only once every launch has written.
    void clear() const;
    // Pumps messages until `count` launches are recorded; false at the bound.
    bool waitFor(std::size_t count, DWORD milliseconds = 20000) const;
    // Pumps messages for `milliseconds`; false as soon as more than `count`
    // launches are recorded. Programs are started before the call that
    // starts them returns, so a short wait shows a launch that should not be.
    bool staysAt(std::size_t count, DWORD milliseconds = 3000) const;

private:
    std::string path_;
};

// One key of HKEY_CLASSES_ROOT taken for a test: whatever was there is moved
// aside when it is taken (the key then does not exist) and put back when the
// holder goes, whatever the test wrote in between.
//
// Written where HKEY_CLASSES_ROOT shows it: the user's classes when it merges
// them in, as Windows does; else through HKEY_CLASSES_ROOT itself, as Wine 8
// shows the machine's classes alone there.
class BorrowedClassKey {
public:
    explicit BorrowedClassKey(std::string name);
    ~BorrowedClassKey();
    BorrowedClassKey(const BorrowedClassKey&) = delete;
    BorrowedClassKey& operator=(const BorrowedClassKey&) = delete;

    // Makes the key, or `subkey` of it ("" for the key itself).
    void create(const std::string& subkey);
    // Sets the default value of the key or of `subkey` (made as needed).
    void setDefault(const std::string& subkey, DWORD type, const std::string& bytes);
    // The same as REG_SZ text, its NUL included.
    void setText(const std::string& subkey, const std::string& text);

private:
    std::string path_;    // under the writing root
    std::string backup_;  // under HKEY_CURRENT_USER
    bool saved_ = false;
};
