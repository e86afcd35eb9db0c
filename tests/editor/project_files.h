// Project files (.vorlprj) as the editor's tests write them: the settings
// of a new project unless a test says otherwise, and the entries given.
// Plain C++ so that every editor test program can include it, with or
// without gtest or Qt.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vorlmake::test {

// Text as an element or an attribute of a project file holds it.
inline std::string XmlEscaped(const std::string &text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            default:
                escaped += c;
                break;
        }
    }
    return escaped;
}

// An entry of a project file that a test writes. The states no edit in the
// window makes (a name with no file behind it, an entry in use without a
// name, an entry out of use that still names a file, a typed size the
// alignment never rounded, an alias) come in from a project, as they do
// for the user.
struct ProjectEntry {
    ProjectEntry(int number, bool inUse, std::string fileName = "", int converter = 0, std::string remarks = "",
                 uint32_t typedSize = 0, int32_t alias = 0, int32_t aliasHigh = 0)
        : number(number),
          inUse(inUse),
          fileName(std::move(fileName)),
          converter(converter),
          remarks(std::move(remarks)),
          typedSize(typedSize),
          alias(alias),
          aliasHigh(aliasHigh)
    {
    }
    int number;
    bool inUse;
    std::string fileName;
    int converter;
    std::string remarks;
    uint32_t typedSize;  // 0: measured from its file when the project opens
    int32_t alias;
    int32_t aliasHigh;  // the upper half of an 8-byte alias
};

// A project file: the settings of a new project unless changed, and rows
// up to the highest entry given (one row when none is).
struct ProjectFile {
    std::vector<ProjectEntry> entries;
    int dataAlign = 1;
    std::string pathMode = "absolute";   // nothing, absolute or relative
    std::string indexOutput = "infile";  // infile, outtext, outbinary or nothing
    int indexBytes = 4;
    int indexInterval = 1;
    bool missingIndexAllOnes = false;
    bool skipMissingFiles = false;
    bool aliasTable = false;
    int aliasBytes = 4;
    bool bigEndian = false;
    std::string label = "Vorl_Index";
    std::array<std::string, 4> types = {"static unsigned char", "static unsigned short", "static unsigned int",
                                        "static unsigned long long"};
    // Converter templates by their number, 1 to 4. A new project takes its
    // templates from the settings file, so a number not given here is not
    // written and the editor keeps the template it had.
    std::map<int, std::string> converters;

    // The project as the XML text of a .vorlprj file.
    std::string Text() const
    {
        auto boolean = [](bool value) { return std::string(value ? "true" : "false"); };
        auto element = [](const std::string &name, const std::string &attributes, const std::string &content) {
            return "\t\t<" + name + attributes + ">" + XmlEscaped(content) + "</" + name + ">\n";
        };
        int rows = 1;
        for (const ProjectEntry &entry : entries) {
            rows = std::max(rows, entry.number + 1);
        }
        std::string text = "<?xml version='1.0' encoding='utf-8'?>\n<VorlProject version='400'>\n\t<header>\n";
        text += element("headerid", "", "Vorl");
        text += element("indexnum", "", std::to_string(rows));
        text += element("indexout", "", indexOutput);
        text += element("indexmode", "", boolean(missingIndexAllOnes));
        text += element("indexbyte", "", std::to_string(indexBytes));
        text += element("indexinterval", "", std::to_string(indexInterval));
        text += element("dataalign", "", std::to_string(dataAlign));
        text += element("pathmode", "", pathMode);
        text += element("skipnofile", "", boolean(skipMissingFiles));
        text += element("label", "", label);
        for (size_t i = 0; i < types.size(); ++i) {
            text += element("type", " num='" + std::to_string(i + 1) + "'", types[i]);
        }
        text += element("usealias", " byte='" + std::to_string(aliasBytes) + "'", boolean(aliasTable));
        text += element("changeendian", "", boolean(bigEndian));
        for (const auto &[number, converter] : converters) {
            const std::string attributes = " num='" + std::to_string(number) + "'";
            text +=
                converter.empty() ? "\t\t<convert" + attributes + " />\n" : element("convert", attributes, converter);
        }
        text += "\t</header>\n";
        for (const ProjectEntry &entry : entries) {
            text += "\t<index num='" + std::to_string(entry.number) + "' use='" + boolean(entry.inUse) + "'>\n";
            text += element("filename", "", entry.fileName);
            text += element("remarks", "", entry.remarks);
            text += element("filesize", " high='0'", std::to_string(entry.typedSize));
            text += element("alias", " high='" + std::to_string(entry.aliasHigh) + "'", std::to_string(entry.alias));
            text += element("convertnum", "", std::to_string(entry.converter));
            text += "\t</index>\n";
        }
        return text + "</VorlProject>\n";
    }
};

// A project of the settings of a new project with the first converter
// template of a fresh settings file, whose entry `entry` is in use without
// a file name and the rows before it out of use; a single row out of use
// when `entry` is negative. No edit in the window makes it.
inline ProjectFile ProjectWithUnnamedEntry(int entry)
{
    ProjectFile project;
    project.converters = {{1, "gzip -9 -n -c \"$I\" > \"$O\""}};
    const int rows = entry < 0 ? 1 : entry + 1;
    for (int n = 0; n < rows; ++n) {
        project.entries.emplace_back(n, n == entry);
    }
    return project;
}

}  // namespace vorlmake::test
