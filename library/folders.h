#pragma once

#include <QString>

namespace quorvel {

class Files;

// The library's folders: each path ends with "/" so that a file's path is folder + name + ext.
struct LibraryFolders
{
    QString base;
    QString templates;
    QString elements;
    QString projects;

    // The folders beside the program (files.runDirectory()).
    static LibraryFolders beside(const Files &files);
};

// The folder names, as they stand on disk.
inline constexpr char16_t TemplatesFolderName[] = u"模板";
inline constexpr char16_t ElementsFolderName[] = u"元素";
inline constexpr char16_t ProjectsFolderName[] = u"项目";

// Computes the folders beside the program and creates those that are missing, in the order
// templates, elements, projects. A folder that cannot be created is left for every later
// operation in it to fail quietly.
LibraryFolders setUpLibraryFolders(Files &files);

} // namespace quorvel
