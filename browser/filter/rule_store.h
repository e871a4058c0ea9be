// Compiled images of the administrator's rule files, so that a browser window maps a list
// instead of compiling it again.
//
// The images live in the folder "Rules" beside the program. An image decides what the kiosk's
// browser refuses, so no one who may not change the rule files may change it: the folder and
// each image get a list of their own (administrators and the system may change them, users
// read), whatever the folder above hands down, and a window uses only an image owned by an
// administrator and writable by no one else. They are written by an administrator's programs
// only (the settings page when its settings are saved, the installer, the rule tester's
// --compile); the browser helper only maps them. An image is named by the SHA-256 of the rule
// file's bytes and holds the file's size and digest, which must match the file as it is now:
// an edited file is compiled in the window until an image of the new text is written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "browser/filter/rule_list.h"
#include "platform/file_system.h"

namespace lumbrel::filter {

// The folder of the images for the program at `programPath`; empty when there is no path.
std::string ImageFolderOf(std::string_view programPath);
// The image in `folder` for a file with these bytes.
std::string ImagePathFor(std::string_view folder, const SourceId& source);

struct LoadedList {
    RuleList rules;
    long openError = 0;  // the rule file could not be opened: no rules
    long readError = 0;  // reading stopped here: the lines before it are used
    bool fromImage = false;
    // An image was there for this text but could not be used: why.
    ImageProblem imageProblem = ImageProblem::None;
};

// The list of a rule file, from its image in `imageFolder` when there is a sound one for the
// file's bytes as they are now, else compiled from the file. An empty folder compiles.
LoadedList LoadRuleList(platform::FileSystem& files, std::string_view rulePath,
                        std::string_view imageFolder);

struct StoredImage {
    long error = 0;         // of reading the rule file or writing the image
    bool readFile = false;  // the error is the rule file's
    std::string path;       // of the image
    bool written = false;   // false: a sound image of this text was there already
};

// Compiles the rule file and writes its image into `imageFolder`, making the folder when it is
// not there. For an administrator's program: the helper only reads images. A file that cannot
// be read to its end gets no image.
StoredImage StoreRuleImage(platform::FileSystem& files, std::string_view rulePath,
                           std::string_view imageFolder);

// Deletes the images in the folder other than those named; an image still mapped by a browser
// stays until a later call. Returns how many were deleted.
size_t PruneRuleImages(platform::FileSystem& files, std::string_view imageFolder,
                       const std::vector<std::string>& keep);

}  // namespace lumbrel::filter
