#include "gfx/PictureFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace {

constexpr const char* kPictures = "images";

bool hasPictures(const std::string& folder)
{
    struct stat st;
    const std::string path = folder.empty() ? kPictures : folder + "/" + kPictures;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder of the running program, empty when it cannot be told.
std::string programFolder()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "";
    const std::string exe(path, static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? "" : exe.substr(0, slash);
}

}  // namespace

std::vector<std::string> PictureFolders::dataFolders()
{
    std::vector<std::string> folders;
    const std::string program = programFolder();
    if (!program.empty())
        folders.push_back(program + "/" + DRIFTMEADOW_BIN_TO_DATA);
    folders.push_back(DRIFTMEADOW_SOURCE_DIR);
    return folders;
}

std::string PictureFolders::locate(const std::string& name)
{
    const std::string prefix = std::string(kPictures) + "/";
    if (name.compare(0, prefix.size(), prefix) != 0 || hasPictures(""))
        return name;
    for (const std::string& folder : dataFolders())
        if (hasPictures(folder))
            return folder + "/" + name;
    return name;
}
