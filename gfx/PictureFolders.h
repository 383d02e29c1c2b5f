// PictureFolders: where the programs find their pictures from any working
// directory. Picture names stay relative, "images/floor01.jpg", in the code
// and on the console; such a name is looked up in the first of these folders
// that holds an images folder: the working directory (a show started beside
// its own pictures takes them), the data folder of an installed copy
// (share/driftmeadow beside the program's bin folder, wherever the copy was
// installed), and the source tree the program was built from. Any thread.
#pragma once

#include <string>
#include <vector>

class PictureFolders {
public:
    // The path to open for `name`: unchanged unless it begins with
    // "images/" and the working directory has no images folder; then under
    // the first other folder that has one (unchanged when none has).
    static std::string locate(const std::string& name);

    // The folders looked in after the working directory, in order.
    static std::vector<std::string> dataFolders();
};
