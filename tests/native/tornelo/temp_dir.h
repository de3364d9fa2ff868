// Runs a test inside a fresh temporary folder and restores the cwd after.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class TempWorkingDir {
public:
    TempWorkingDir() {
        char templ[] = "/tmp/tornelo-test-XXXXXX";
        if (getcwd(saved_, sizeof saved_) && mkdtemp(templ) && chdir(templ) == 0) dir_ = templ;
    }
    ~TempWorkingDir() {
        std::remove("tornelo.ini");
        if (chdir(saved_) == 0 && !dir_.empty()) rmdir(dir_.c_str());
    }
    bool ok() const { return !dir_.empty(); }
    static void Write(const std::string& content) {
        std::FILE* f = std::fopen("tornelo.ini", "wb");
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
    static std::string Read() {
        std::string content;
        std::FILE* f = std::fopen("tornelo.ini", "rb");
        if (!f) return "<missing>";
        for (int c; (c = std::fgetc(f)) != EOF;) content.push_back(static_cast<char>(c));
        std::fclose(f);
        return content;
    }

private:
    char saved_[4096] = {};
    std::string dir_;
};
