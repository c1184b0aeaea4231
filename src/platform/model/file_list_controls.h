#pragma once
// The hidden drive, folder and file list boxes of the main window: they hold
// a path and a pattern and list what the file system has there.
#include <string>
#include <vector>

#include "controls.h"
#include "platform/system/files.h"

namespace kestrova {

class DriveListBox : public Control {
public:
    using Control::Control;
    const std::string& Drive() const { return drive_; }
    void SetDrive(std::string drive) { drive_ = std::move(drive); }

private:
    std::string drive_ = "/";
};

class DirListBox : public Control {
public:
    using Control::Control;
    const std::string& Path() const { return path_; }
    void SetPath(std::string path) { path_ = std::move(path); }

private:
    std::string path_ = "/";
};

class FileListBox : public Control {
public:
    using Control::Control;
    const std::string& Path() const { return path_; }
    void SetPath(std::string path) { path_ = std::move(path); }
    const std::string& Pattern() const { return pattern_; }
    void SetPattern(std::string pattern) { pattern_ = std::move(pattern); }

private:
    std::string path_ = "/";
    std::string pattern_ = "*.*";
};

}  // namespace kestrova
