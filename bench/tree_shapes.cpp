#include "tree_shapes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <vector>

namespace kestrova::bench {
namespace {

constexpr std::array kFolderStems{"lib",     "share", "doc",    "locale", "LC_MESSAGES", "icons",   "16x16",   "apps",
                                  "python3", "dist-packages", "include", "x86_64-linux-gnu", "man", "man1",
                                  "fonts",   "truetype", "perl5", "site",  "themes", "Adwaita", "scalable",
                                  "mime",    "packages", "tests", "data",  "src",    "__pycache__", "config"};
constexpr std::array kFileStems{"libgtk", "README",  "copyright", "changelog", "index",   "main",  "utils",
                                "Makefile", "setup", "messages",  "IMG",       "icon",    "font",  "module",
                                "__init__", "config", "LICENSE",  "news",      "Document", "photo", "core"};
constexpr std::array kExtensions{".so", ".py", ".h", ".png", ".txt", ".gz", ".mo", ".svg", ".pyc", ".conf",
                                 ".jpg", ".xml", ".html", ".1.gz", ".pm", ".json", ".ttf", "", ".cache"};

struct Folder {
    std::string path;
    int depth;
};

class Maker {
public:
    explicit Maker(std::uint32_t seed) : random_(seed) {}

    double Uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(random_); }
    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
    template <typename Array>
    const char* Pick(const Array& words) {
        return words[Below(words.size())];
    }
    // Numbers in base 36 keep generated names short and every name unique.
    static std::string Base36(std::size_t n) {
        std::string out;
        do {
            out.insert(out.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36]);
            n /= 36;
        } while (n > 0);
        return out;
    }
    std::int64_t LogNormal(double mu, double sigma, std::int64_t most) {
        const double v = std::exp(std::normal_distribution<double>(mu, sigma)(random_));
        return std::min<std::int64_t>(most, static_cast<std::int64_t>(v));
    }

private:
    std::mt19937 random_;
};

void MakeFile(const std::string& path, std::int64_t size, std::time_t mtime) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || ::ftruncate(fd, size) != 0) std::perror(path.c_str());
    if (fd < 0) return;
    const timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ::futimens(fd, times);
    ::close(fd);
}

}  // namespace

TreeCounts MakeSystemTree(const std::string& top) {
    constexpr int kFolders = 20000;
    constexpr int kLinks = 8000;
    constexpr int kDeepest = 18;
    const std::time_t kFirstTime = 1420070400;  // 2015-01-01
    const std::time_t kTimeSpan = 9L * 365 * 24 * 3600;

    Maker make(27);
    TreeCounts counts;
    std::vector<Folder> folders{{top, 0}};
    std::vector<std::size_t> wide;  // folders near the top that hold very many folders
    ::mkdir(top.c_str(), 0755);
    for (int i = 1; i < kFolders; ++i) {
        const double r = make.Uniform();
        std::size_t parent;
        if (r < 0.2 && !wide.empty()) {
            parent = wide[make.Below(wide.size())];
        } else if (r < 0.8) {
            // Mostly below folders made recently: long chains grow.
            const double u = make.Uniform();
            parent = folders.size() - 1 - static_cast<std::size_t>(static_cast<double>(folders.size()) * u * u * u);
        } else {
            parent = make.Below(folders.size());
        }
        if (folders[parent].depth >= kDeepest) parent = make.Below(std::min<std::size_t>(folders.size(), 50));
        std::string name = make.Pick(kFolderStems);
        if (make.Uniform() < 0.02) name = "." + name;
        name += "-" + Maker::Base36(static_cast<std::size_t>(i));
        Folder folder{folders[parent].path + "/" + name, folders[parent].depth + 1};
        if (::mkdir(folder.path.c_str(), 0755) != 0) std::perror(folder.path.c_str());
        if (folder.depth <= 3 && wide.size() < 30 && make.Uniform() < 0.3) wide.push_back(folders.size());
        folders.push_back(std::move(folder));
    }
    counts.folders = static_cast<int>(folders.size());

    std::vector<std::string> files;
    std::vector<std::vector<std::string>> names_in(folders.size());
    std::size_t serial = 0;
    for (std::size_t f = 0; f < folders.size(); ++f) {
        const Folder& folder = folders[f];
        // Installed together: most files of a folder share its time.
        const std::time_t folder_time = kFirstTime + static_cast<std::time_t>(make.Uniform() * kTimeSpan);
        const std::int64_t count = make.LogNormal(1.2, 1.4, 1500);
        for (std::int64_t i = 0; i < count; ++i) {
            std::string name = make.Pick(kFileStems);
            if (make.Uniform() < 0.03) name = "." + name;
            name += "_" + Maker::Base36(serial++) + make.Pick(kExtensions);
            const std::string path = folder.path + "/" + name;
            const std::time_t mtime =
                make.Uniform() < 0.7 ? folder_time : kFirstTime + static_cast<std::time_t>(make.Uniform() * kTimeSpan);
            MakeFile(path, make.LogNormal(8.0, 2.5, 50'000'000), mtime);
            files.push_back(path);
            names_in[f].push_back(name);
        }
    }
    counts.files = static_cast<int>(files.size());

    // Links as a system has them: mostly a name beside its file
    // ("libx.so -> libx.so.6"), some up and across the tree, a few by their
    // full path, to folders now and then (some of them above: loops), and
    // some to nothing.
    for (int i = 0; i < kLinks; ++i) {
        const std::size_t where = make.Below(folders.size());
        const std::filesystem::path from(folders[where].path);
        const double r = make.Uniform();
        std::string target;
        std::string name = "link_" + Maker::Base36(static_cast<std::size_t>(i));
        if (r < 0.55 && !names_in[where].empty()) {
            target = names_in[where][make.Below(names_in[where].size())];
            name += ".so";
        } else if (r < 0.75) {
            target = std::filesystem::path(files[make.Below(files.size())]).lexically_relative(from).string();
            name += ".so";
        } else if (r < 0.85) {
            target = files[make.Below(files.size())];
        } else if (r < 0.95) {
            target = std::filesystem::path(folders[make.Below(folders.size())].path).lexically_relative(from).string();
        } else {
            target = "missing_" + Maker::Base36(static_cast<std::size_t>(i));
        }
        const std::string path = folders[where].path + "/" + name;
        if (::symlink(target.c_str(), path.c_str()) != 0) std::perror(path.c_str());
    }
    counts.links = kLinks;
    return counts;
}

TreeCounts MakeShareTree(const std::string& top, int folders, int files_per_folder) {
    TreeCounts counts;
    ::mkdir(top.c_str(), 0755);
    counts.folders = 1;
    for (int f = 0; f < folders; ++f) {
        char folder[32];
        std::snprintf(folder, sizeof folder, "/album%03d", f);
        const std::string path = top + folder;
        ::mkdir(path.c_str(), 0755);
        ++counts.folders;
        for (int i = 0; i < files_per_folder; ++i) {
            char name[32];
            const int n = f * files_per_folder + i;
            std::snprintf(name, sizeof name, "/IMG_%06d.jpg", n);
            MakeFile(path + name, 1000 + n / 2, 1600000000 + n);
            ++counts.files;
        }
    }
    return counts;
}

}  // namespace kestrova::bench
