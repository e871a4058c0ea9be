#include "browser/filter/rule_store.h"

#include <algorithm>
#include <cstdio>

#include "browser/filter/rule_file.h"
#include "platform/constants.h"
#include "platform/text.h"

namespace lumbrel::filter {

namespace {

constexpr std::string_view kImageExtension = ".lri";

// The image of these bytes in the folder, when there is a sound one.
std::optional<RuleList> AttachImage(platform::FileSystem& files, const std::string& path,
                                    const SourceId& source, ImageProblem& problem) {
    problem = ImageProblem::None;
    std::shared_ptr<const platform::MappedFile> mapping;
    if (files.MapForReading(path, mapping) != 0) {
        return std::nullopt;  // none was written
    }
    // Asked while mapped: a mapped file cannot be replaced under the answer.
    platform::Custody custody;
    std::optional<std::vector<std::string>> administrators;  // asked only when needed
    const auto isAdministrator = [&](std::string_view sid) {
        if (!administrators) {
            administrators = files.AdministratorAccounts();
        }
        return std::find(administrators->begin(), administrators->end(), sid) !=
               administrators->end();
    };
    if (files.ReadCustody(path, custody) != 0 ||
        !platform::OnlyAdministratorsMayChange(custody, isAdministrator)) {
        problem = ImageProblem::OpenToOthers;
        return std::nullopt;
    }
    std::optional<RuleList> rules = RuleList::Attach(mapping->Bytes(), mapping, problem);
    if (rules && rules->Source() != source) {
        problem = ImageProblem::OtherSource;
        rules.reset();
    }
    return rules;
}

}  // namespace

std::string ImageFolderOf(std::string_view programPath) {
    const std::string_view folder = platform::FolderOf(programPath);
    return folder.empty() ? std::string() : std::string(folder) + "\\Rules";
}

std::string ImagePathFor(std::string_view folder, const SourceId& source) {
    std::string path(folder);
    path += '\\';
    path += platform::HexOf(source.digest);
    path += kImageExtension;
    return path;
}

LoadedList LoadRuleList(platform::FileSystem& files, std::string_view rulePath,
                        std::string_view imageFolder) {
    LoadedList out;
    if (!imageFolder.empty()) {
        if (const std::optional<SourceId> source = HashRuleFile(files, rulePath)) {
            std::optional<RuleList> attached =
                AttachImage(files, ImagePathFor(imageFolder, *source), *source, out.imageProblem);
            if (attached) {
                out.rules = std::move(*attached);
                out.fromImage = true;
                return out;
            }
        }
        // A file that cannot be read is reported by the read below, as without images.
    }
    RuleFile file = ReadRuleFile(files, rulePath);
    out.openError = file.openError;
    out.readError = file.readError;
    if (out.openError == 0) {
        out.rules = RuleList(file.lines, file.source.value_or(SourceId{}));
    }
    return out;
}

StoredImage StoreRuleImage(platform::FileSystem& files, std::string_view rulePath,
                           std::string_view imageFolder) {
    StoredImage out;
    RuleFile file = ReadRuleFile(files, rulePath);
    if (file.openError != 0 || file.readError != 0) {
        out.error = file.openError != 0 ? file.openError : file.readError;
        out.readFile = true;
        return out;
    }
    if (!file.source) {
        out.error = platform::error::kGenFailure;  // no digest, no name to trust
        return out;
    }
    out.path = ImagePathFor(imageFolder, *file.source);
    ImageProblem problem;
    if (AttachImage(files, out.path, *file.source, problem)) {
        return out;  // this text's image is there and sound
    }
    const RuleList rules(file.lines, *file.source);
    // The folder gets its own access list, whatever its parent would hand down (installed
    // anywhere but Program Files, that can be "users may change").
    if (const long error = files.CreateFolder(imageFolder);
        error != 0 && error != platform::error::kAlreadyExists) {
        out.error = error;
        return out;
    }
    if (const long error = files.RestrictToAdministrators(imageFolder)) {
        out.error = error;
        return out;
    }
    // Written whole under another name first: a window never maps half an image.
    const std::string partial = out.path + ".new";
    out.error = files.WriteWholeFile(partial, rules.Image());
    if (out.error == 0) {
        out.error = files.RestrictToAdministrators(partial);
    }
    if (out.error == 0) {
        out.error = files.MoveReplacing(partial, out.path);
    }
    if (out.error != 0) {
        files.RemoveFile(partial);
        return out;
    }
    out.written = true;
    return out;
}

size_t PruneRuleImages(platform::FileSystem& files, std::string_view imageFolder,
                       const std::vector<std::string>& keep) {
    size_t deleted = 0;
    const std::string folder(imageFolder);
    for (const std::string& name : files.FindFiles(folder + "\\*" + std::string(kImageExtension))) {
        const std::string path = folder + "\\" + name;
        if (std::find(keep.begin(), keep.end(), path) == keep.end() &&
            files.RemoveFile(path) == 0) {
            ++deleted;
        }
    }
    return deleted;
}

}  // namespace lumbrel::filter
