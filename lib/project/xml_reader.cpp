#include "xml_reader.h"

#include <expat.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "cleared_table.h"
#include "default_header_id.h"
#include "entry_file_name.h"
#include "entry_reference.h"
#include "fixed_text.h"
#include "host_file.h"
#include "number_text.h"
#include "project_format.h"
#include "project_reader.h"
#include "xml_text.h"

namespace vorl {
namespace {

constexpr size_t kBlockSize = 2048;

// The element table: an element is known by its position, which sorts it
// into the root, the header's fields, the entry and the entry's fields.
enum Element {
    kUnknown = -1,
    kVorlProject = 0,
    kHeader,
    kIndexnum,
    kIndexout,
    kIndexmode,
    kIndexbyte,
    kIndexinterval,
    kDataalign,
    kPathmode,
    kSkipnofile,
    kLabel,
    kType,
    kUsealias,
    kChangeendian,
    kConvert,
    kHeaderid,
    kIndex,
    kFilename,
    kRemarks,
    kFilesize,
    kAlias,
    kConvertnum,
};

constexpr std::array<std::string_view, 22> kElementNames = {
    "VorlProject", "header",     "indexnum", "indexout", "indexmode", "indexbyte",    "indexinterval", "dataalign",
    "pathmode",    "skipnofile", "label",    "type",     "usealias",  "changeendian", "convert",       "headerid",
    "index",       "filename",   "remarks",  "filesize", "alias",     "convertnum",
};

bool IsHeaderField(int element)
{
    return element >= kIndexnum && element <= kHeaderid;
}

bool IsEntryField(int element)
{
    return element >= kFilename && element <= kConvertnum;
}

int LookUpElement(const XML_Char *name)
{
    for (size_t i = 0; i < kElementNames.size(); ++i) {
        if (kElementNames[i] == name) {
            return static_cast<int>(i);
        }
    }
    return kUnknown;
}

enum class ReaderState { Outside, InProject, InHeader, AfterHeader, InIndex };

struct XmlReadContext {
    XML_Parser parser = nullptr;
    VorlInformation *block = nullptr;
    std::string text;  // character data of the open leaf element
    ReaderState state = ReaderState::Outside;
    int openLeaf = 0;  // element number of the open leaf element, 0 when none
    int32_t currentEntry = -1;
    // The rows an entry may be stored in: none until the header has ended
    // with a count the table is known to hold.
    int32_t rows = 0;
    int32_t numberAttribute = 0;
    int32_t highAttribute = 0;
    // The `hex` attribute of the open `headerid`, when it has one.
    std::optional<std::string> hexId;
    int error = VORL_OK;

    bool CurrentEntryIsRow() const { return block->entries != nullptr && currentEntry >= 0 && currentEntry < rows; }
    void Fail(int code)
    {
        if (error == VORL_OK) {
            error = code;
        }
    }
};

const XML_Char *Attribute(const XML_Char **attributes, std::string_view name)
{
    for (const XML_Char **a = attributes; a[0] != nullptr; a += 2) {
        if (name == a[0]) {
            return a[1];
        }
    }
    return nullptr;
}

// A keyword from a fixed set; -1 when the text is none of them.
template <size_t N>
int LookUpKeyword(std::string_view text, const std::array<const char *, N> &keywords)
{
    for (size_t value = 0; value < N; ++value) {
        if (text == keywords[value]) {
            return static_cast<int>(value);
        }
    }
    return -1;
}

int LookUpBoolean(std::string_view text)
{
    return LookUpKeyword(text, kBooleanKeywords);
}

void StartInHeader(XmlReadContext &context, int element, const XML_Char **attributes)
{
    context.text.clear();
    if (!IsHeaderField(element)) {
        context.Fail(VORL_ERR_XML_PARSE);
        return;
    }
    context.openLeaf = element;
    if (element == kType || element == kConvert) {
        context.numberAttribute = -1;
        if (const XML_Char *num = Attribute(attributes, "num")) {
            context.numberAttribute = common::DecimalValue(num);
        }
        if (context.numberAttribute < 0) {
            context.Fail(VORL_ERR_XML_PARSE);
        }
    } else if (element == kHeaderid) {
        context.hexId.reset();
        if (const XML_Char *hex = Attribute(attributes, "hex")) {
            context.hexId = hex;
        }
    } else if (element == kUsealias) {
        // A "true" without a width has no meaning: it stays below 0.
        context.numberAttribute = -1;
        if (const XML_Char *width = Attribute(attributes, "byte")) {
            context.numberAttribute = common::DecimalValue(width);
        }
    }
}

void StartIndex(XmlReadContext &context, const XML_Char **attributes)
{
    VorlInformation &info = *context.block;
    context.currentEntry = -1;
    // Attribute order has no meaning in XML (tools that reformat a file
    // reorder them): the row is known before "use" is applied to it.
    if (const XML_Char *num = Attribute(attributes, "num")) {
        context.currentEntry = common::DecimalValue(num);
    }
    for (const XML_Char **a = attributes; a[0] != nullptr; a += 2) {
        std::string_view name = a[0];
        if (name == "use" && context.currentEntry >= 0) {
            int use = LookUpBoolean(a[1]);
            if (use < 0) {
                context.Fail(VORL_ERR_XML_PARSE);
            } else if (context.CurrentEntryIsRow()) {
                info.entries[context.currentEntry].use = use;
            }
        }
    }
    if (context.CurrentEntryIsRow()) {
        context.state = ReaderState::InIndex;
    }
}

void StartInIndex(XmlReadContext &context, int element, const XML_Char **attributes)
{
    context.text.clear();
    if (!IsEntryField(element)) {
        context.Fail(VORL_ERR_XML_PARSE);
        return;
    }
    context.openLeaf = element;
    if (element == kFilesize || element == kAlias) {
        context.highAttribute = 0;
        if (const XML_Char *high = Attribute(attributes, "high")) {
            context.highAttribute = common::DecimalValue(high);
        }
    }
}

void XMLCALL OnStartElement(void *userData, const XML_Char *name, const XML_Char **attributes)
{
    auto &context = *static_cast<XmlReadContext *>(userData);
    int element = LookUpElement(name);
    if (element == kUnknown) {
        return;
    }
    switch (context.state) {
        case ReaderState::Outside:
            if (element == kVorlProject) {
                if (const XML_Char *version = Attribute(attributes, "version")) {
                    context.block->version = common::DecimalValue(version);
                }
                context.state = ReaderState::InProject;
            }
            break;
        case ReaderState::InProject:
            if (element == kHeader) {
                context.state = ReaderState::InHeader;
            }
            break;
        case ReaderState::InHeader:
            StartInHeader(context, element, attributes);
            break;
        case ReaderState::AfterHeader:
            if (element == kIndex) {
                StartIndex(context, attributes);
            }
            break;
        case ReaderState::InIndex:
            StartInIndex(context, element, attributes);
            break;
    }
}

void XMLCALL OnCharacterData(void *userData, const XML_Char *data, int length)
{
    auto &context = *static_cast<XmlReadContext *>(userData);
    if (context.openLeaf == 0) {
        return;
    }
    // Only entities expanded many times over can make a text longer than
    // the whole file may be.
    if (context.text.size() + static_cast<size_t>(length) > static_cast<size_t>(kProjectFileByteLimit)) {
        context.Fail(VORL_ERR_XML_PARSE);
        XML_StopParser(context.parser, XML_FALSE);
        return;
    }
    try {
        context.text.append(data, static_cast<size_t>(length));
    } catch (const std::bad_alloc &) {
        context.Fail(VORL_ERR_XML_PARSE);
    }
}

// The end of `header`: the entry table is made when the caller gave none.
void EndHeader(XmlReadContext &context)
{
    VorlInformation &info = *context.block;
    context.state = ReaderState::AfterHeader;
    // A caller's table holds at most the rows a project may have; the
    // count is all that tells how many that is. Beyond the limit the
    // project is refused before any row is stored, as a legacy project is.
    if (info.indexnum > VORL_MAX_ENTRIES) {
        XML_StopParser(context.parser, XML_FALSE);
        return;
    }
    if (info.indexnum < 1) {
        return;
    }
    if (info.entries == nullptr) {
        info.entries = static_cast<IndexEntry *>(
            host::AllocateClearedTable(static_cast<size_t>(info.indexnum), sizeof(IndexEntry)));
        if (info.entries == nullptr) {
            context.Fail(VORL_ERR_NO_MEMORY);
            return;
        }
    }
    context.rows = info.indexnum;
}

template <size_t N>
void StoreKeyword(XmlReadContext &context, int32_t &field, const std::string &text,
                  const std::array<const char *, N> &keywords)
{
    int value = LookUpKeyword(text, keywords);
    if (value < 0) {
        context.Fail(VORL_ERR_XML_PARSE);
    } else {
        field = value;
    }
}

// A `type` or `convert` text goes to slot `num`, 1 to 4; any other number
// would name a slot that does not exist.
template <size_t N>
void StoreSlotText(XmlReadContext &context, char (&slots)[VORL_SLOT_COUNT][N], const std::string &text)
{
    int32_t slot = context.numberAttribute;
    if (slot < 1 || slot > VORL_SLOT_COUNT) {
        context.Fail(VORL_ERR_XML_PARSE);
        return;
    }
    if (!text.empty()) {
        StoreFieldText(slots[slot - 1], text);
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The header id: four bytes from the `hex` attribute (exactly eight
// hexadecimal digits; the writer uses it for ids with zero or high bytes
// that no text can carry), else from the text. A text that is longer than
// four bytes gives the whole characters that fit, padded with zero bytes:
// the first four bytes, as ever, but never the lead byte of a character
// without its second ("abc表" gives "abc" and a zero byte). No text at all
// gives the default id.
void StoreHeaderId(XmlReadContext &context, const std::string &text)
{
    char(&id)[4] = context.block->headerid;
    if (context.hexId) {
        const std::string &hex = *context.hexId;
        char bytes[sizeof id];
        bool valid = hex.size() == 2 * sizeof id;
        for (size_t k = 0; valid && k < sizeof id; ++k) {
            int high = HexDigit(hex[2 * k]);
            int low = HexDigit(hex[2 * k + 1]);
            valid = high >= 0 && low >= 0;
            bytes[k] = static_cast<char>(high * 16 + low);
        }
        if (!valid) {
            context.Fail(VORL_ERR_XML_PARSE);
            return;
        }
        std::memcpy(id, bytes, sizeof id);
        return;
    }
    if (text.empty()) {
        StoreDefaultHeaderId(id);
        return;
    }
    std::string_view fitting = WholeCharactersWithin(text, sizeof id);
    std::memset(id, 0, sizeof id);
    std::memcpy(id, fitting.data(), fitting.size());
}

void EndHeaderField(XmlReadContext &context, int element, const std::string &text)
{
    VorlInformation &info = *context.block;
    switch (element) {
        case kIndexnum:
            info.indexnum = common::DecimalValue(text);
            if (info.indexnum < 1) {
                context.Fail(VORL_ERR_XML_PARSE);
            }
            break;
        case kIndexbyte:
            info.indexbyte = common::DecimalValue(text);
            break;
        case kIndexinterval:
            info.indexinterval = common::DecimalValue(text);
            break;
        case kDataalign:
            info.dataalign = common::DecimalValue(text);
            break;
        case kIndexout:
            StoreKeyword(context, info.indexout, text, kIndexOutKeywords);
            break;
        case kPathmode:
            StoreKeyword(context, info.pathmode, text, kPathModeKeywords);
            break;
        case kIndexmode:
            StoreKeyword(context, info.indexmode, text, kBooleanKeywords);
            break;
        case kSkipnofile:
            StoreKeyword(context, info.skipnofile, text, kBooleanKeywords);
            break;
        case kChangeendian:
            StoreKeyword(context, info.changeendian, text, kBooleanKeywords);
            break;
        case kLabel:
            if (!text.empty()) {
                StoreFieldText(info.label, text);
            }
            break;
        case kType:
            StoreSlotText(context, info.type, text);
            break;
        case kConvert:
            StoreSlotText(context, info.convert, text);
            break;
        case kUsealias: {
            int enabled = LookUpBoolean(text);
            if (enabled < 0 || (enabled == 1 && context.numberAttribute < 0)) {
                context.Fail(VORL_ERR_XML_PARSE);
            } else {
                info.usealias = enabled == 1 ? context.numberAttribute : 0;
            }
            break;
        }
        case kHeaderid:
            StoreHeaderId(context, text);
            break;
        default:
            context.Fail(VORL_ERR_XML_PARSE);
            break;
    }
}

// The text of an entry's file name in CP932. A name with characters that
// have no CP932 form is kept as a name that can never be found
// (Utf8ToSjisName), so the entry counts as one whose file is missing
// instead of packing a file whose name lacks those characters. A reference
// ("*N") is a row number, not a file: with such characters it is refused.
std::optional<std::string> EntryFileNameText(const std::string &utf8)
{
    if (auto exact = Utf8ToSjis(utf8)) {
        return exact;
    }
    auto unfindable = Utf8ToSjisName(utf8);
    if (!unfindable || common::IsReference(*unfindable)) {
        return std::nullopt;
    }
    return unfindable;
}

void EndEntryField(XmlReadContext &context, int element, const std::string &utf8)
{
    VorlInformation &info = *context.block;
    if (!IsEntryField(element)) {
        context.Fail(VORL_ERR_XML_PARSE);
        return;
    }
    if (!context.CurrentEntryIsRow() || utf8.empty()) {
        return;
    }
    auto converted = element == kFilename ? EntryFileNameText(utf8) : Utf8ToSjis(utf8);
    if (!converted) {
        context.Fail(VORL_ERR_XML_PARSE);
        return;
    }
    const std::string &text = *converted;
    if (text.empty()) {
        return;
    }
    IndexEntry &entry = info.entries[context.currentEntry];
    switch (element) {
        case kFilename:
            if (!StoreEntryFileName(entry, text, FieldText(info.prjdir))) {
                context.Fail(VORL_ERR_XML_PARSE);
            }
            break;
        case kRemarks:
            // Remarks are the user's notes and the conversion never reads
            // them: a longer one is cut to its field on a character
            // boundary, as the legacy reader cuts its remarks, rather than
            // lost whole.
            StoreFieldText(entry.remarks, WholeCharactersWithin(text, sizeof entry.remarks - 1));
            break;
        case kFilesize:
            entry.filesize = static_cast<uint32_t>(common::DecimalValue(text));
            entry.filesizehigh = static_cast<uint32_t>(context.highAttribute);
            break;
        case kAlias:
            entry.alias = static_cast<uint32_t>(common::DecimalValue(text));
            entry.aliashigh = static_cast<uint32_t>(context.highAttribute);
            break;
        case kConvertnum:
            entry.convertnum = common::DecimalValue(text);
            break;
        default:
            break;
    }
}

void XMLCALL OnEndElement(void *userData, const XML_Char *name)
{
    auto &context = *static_cast<XmlReadContext *>(userData);
    int element = LookUpElement(name);
    if (element == kUnknown) {
        return;
    }
    switch (context.state) {
        case ReaderState::InProject:
            if (element == kVorlProject) {
                context.state = ReaderState::Outside;
            } else {
                context.Fail(VORL_ERR_XML_PARSE);
            }
            break;
        case ReaderState::InHeader:
            if (element == kHeader) {
                EndHeader(context);
            } else if (auto text = Utf8ToSjis(context.text)) {
                EndHeaderField(context, element, *text);
            } else {
                // A text with characters that have no CP932 form would be
                // stored as another text.
                context.Fail(VORL_ERR_XML_PARSE);
            }
            context.openLeaf = 0;
            break;
        case ReaderState::InIndex:
            if (element == kIndex) {
                context.currentEntry = -1;
                context.state = ReaderState::AfterHeader;
            } else {
                EndEntryField(context, element, context.text);
            }
            context.openLeaf = 0;
            break;
        case ReaderState::Outside:
        case ReaderState::AfterHeader:
            break;
    }
    context.text.clear();
}

// Feeds the file in blocks; -21 after a syntax error (or a stop), -1 when
// a read fails (the end of what was read is not the end of the project) or
// the file grows past what a project may be while it is read, else 0.
int ParseBlocks(XML_Parser parser, host::HostFile &file, const XmlReadContext &context)
{
    char block[kBlockSize];
    int64_t total = 0;
    for (;;) {
        size_t got = 0;
        while (got < kBlockSize) {
            long n = file.Read(block + got, kBlockSize - got);
            if (n < 0) {
                return VORL_ERR_PRJ_NOT_FOUND;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<size_t>(n);
        }
        total += static_cast<int64_t>(got);
        if (total > kProjectFileByteLimit) {
            return VORL_ERR_PRJ_NOT_FOUND;
        }
        bool final = got < kBlockSize;
        if (XML_Parse(parser, block, static_cast<int>(got), final ? XML_TRUE : XML_FALSE) == XML_STATUS_ERROR) {
            return VORL_ERR_XML_PARSE;
        }
        if (final || context.error != VORL_OK) {
            return VORL_OK;
        }
    }
}

}  // namespace

int ReadXmlProject(VorlInformation &info)
{
    host::HostFile file = host::HostFile::OpenForReading(FieldText(info.prjfile));
    if (!file.IsOpen() || file.LengthAtOpen() > kProjectFileByteLimit) {
        return VORL_ERR_PRJ_NOT_FOUND;
    }
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) {
        return VORL_ERR_XML_PARSER;
    }
    XmlReadContext context;
    context.parser = parser;
    context.block = &info;
    XML_SetUserData(parser, &context);
    XML_SetElementHandler(parser, OnStartElement, OnEndElement);
    XML_SetCharacterDataHandler(parser, OnCharacterData);
    int parsed = ParseBlocks(parser, file, context);
    XML_ParserFree(parser);
    if (parsed == VORL_ERR_PRJ_NOT_FOUND) {
        return parsed;
    }

    if (context.error != VORL_OK) {
        return context.error;
    }
    if (info.version == 0) {
        return VORL_ERR_NOT_A_PROJECT;
    }
    if (info.version < kOldestReadableVersion) {
        return VORL_ERR_PRJ_TOO_OLD;
    }
    if (info.version > VORL_PRJ_VERSION) {
        return VORL_ERR_TOOL_TOO_OLD;
    }
    // A count below 1 (only a caller's block can bring one) means no entries.
    if (info.indexnum < 1 || info.indexout < 0) {
        return VORL_ERR_NO_INDEX;
    }
    if (info.indexnum > VORL_MAX_ENTRIES) {
        return VORL_ERR_TOO_MANY_FILES;
    }
    return parsed;
}

}  // namespace vorl
