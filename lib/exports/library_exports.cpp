// The exported C interface. Each export checks its arguments, hands the
// work to the subsystem that owns it, and turns every failure into a code.
#include <cstring>

#include "cache_statistics.h"
#include "command_line_conversion.h"
#include "convert_pipeline.h"
#include "error_messages.h"
#include "export_guard.h"
#include "extended_conversion.h"
#include "output_file.h"
#include "path_conversion.h"
#include "project_conversion.h"
#include "project_reader.h"
#include "vorl_cnv.h"
#include "work_directory.h"
#include "xml_writer.h"

using namespace vorl;

extern "C" {

VORL_API int VorlGetDllVersion(void)
{
    return VORL_DLL_VERSION;
}

VORL_API int VorlGetPrjVersion(void)
{
    return VORL_PRJ_VERSION;
}

VORL_API int VorlGetErrorStrings(int code, char *buffer, int size)
{
    return GuardExport(
        -1,
        [&] {
            auto message = ErrorMessage(code);
            if (!message || buffer == nullptr || size < 1) {
                return -1;
            }
            size_t room = static_cast<size_t>(size);
            std::memset(buffer, 0, room);
            std::memcpy(buffer, message->data(), message->size() < room ? message->size() : room - 1);
            return 0;
        },
        -1);
}

VORL_API int VorlGetMessageText(int32_t code, const char *language, char *buffer, int32_t size)
{
    return GuardExport(
        -1,
        [&] {
            std::string_view asked = language != nullptr ? language : "";
            auto message = MessageText(code, asked.substr(0, 2) == "en" ? common::MessageLanguage::English
                                                                        : common::MessageLanguage::Japanese);
            if (!message || buffer == nullptr || size < 1) {
                return -1;
            }
            size_t room = static_cast<size_t>(size);
            std::memset(buffer, 0, room);
            std::memcpy(buffer, message->data(), message->size() < room ? message->size() : room - 1);
            return message->size() < room ? 0 : static_cast<int>(message->size() + 1);
        },
        -1);
}

VORL_API int VorlConvert(VorlInformation *info)
{
    if (info == nullptr) {
        return VORL_ERR_BAD_ACCESS;
    }
    return GuardExport(VORL_ERR_NO_MEMORY, [&] { return ConvertOwnBlock(*info, nullptr); });
}

VORL_API int VorlReleaseInformation(VorlInformation *info)
{
    if (info != nullptr) {
        GuardExport(
            0,
            [&] {
                // A table the caller handed to a VB export stays the
                // caller's: the slot is cleared, the table left alone, so
                // a release after one of them cannot free it under its
                // owner's hands.
                if (HoldsCallersTable(*info)) {
                    info->entries = nullptr;
                }
                ForgetTable(*info);
                ReleaseBlock(*info);
                return 0;
            },
            0);
    }
    return 0;
}

VORL_API int VorlConvertCommandLine(const char *commandLine)
{
    return GuardExport(VORL_ERR_NO_MEMORY, [&] { return ConvertCommandLine(commandLine); });
}

VORL_API int VorlGetProjectFile(VorlInformation *info)
{
    if (info == nullptr) {
        return VORL_ERR_BAD_ACCESS;
    }
    return GuardExport(VORL_ERR_NO_MEMORY, [&] { return ReadProjectFile(*info); });
}

VORL_API int VorlGetProjectFileVB(VorlInformation *info, IndexEntry *table)
{
    if (info == nullptr) {
        return VORL_ERR_BAD_ACCESS;
    }
    UseCallersTable(*info, table);
    return VorlGetProjectFile(info);
}

VORL_API int VorlPutXMLPrjFile(VorlInformation *info)
{
    if (info == nullptr) {
        return VORL_ERR_BAD_ACCESS;
    }
    return GuardExport(VORL_ERR_PRJ_NOT_FOUND, [&] { return WriteXmlProject(*info); });
}

VORL_API int VorlPutXMLPrjFileVB(VorlInformation *info, IndexEntry *table)
{
    if (info == nullptr) {
        return VORL_ERR_BAD_ACCESS;
    }
    UseCallersTable(*info, table);
    return VorlPutXMLPrjFile(info);
}

VORL_API int VorlConvertPrjFile(const char *project, const char *datafile, const char *headerfile, const char *workbase)
{
    return GuardExport(VORL_ERR_NO_MEMORY, [&] { return ConvertProjectFile(project, datafile, headerfile, workbase); });
}

VORL_API int VorlAbs2RelPath(const char *path, const char *base, char *out, int size)
{
    return GuardExport(
        0, [&] { return ConvertAbsToRel(path, base, out, size, host::HostRules()); }, 0);
}

VORL_API int VorlRel2AbsPath(const char *path, const char *base, char *out, int size)
{
    return GuardExport(
        0, [&] { return ConvertRelToAbs(path, base, out, size, host::HostRules()); }, 0);
}

VORL_API int VorlConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options)
{
    return GuardExport(VORL_ERR_NO_MEMORY, [&] { return ConvertWithOptions(info, commandLine, options); });
}

VORL_API int VorlGetCacheStatistics(const char *folder, VorlCacheStatistics *statistics)
{
    return GuardExport(VORL_ERR_NO_MEMORY, [&] { return GetCacheStatistics(folder, statistics); });
}

VORL_API int VorlWriteOutputFile(const char *path, const void *bytes, const char *source, uint64_t offset,
                                 uint64_t size, const char *const *inputs, VorlFailureReport *failure)
{
    return GuardExport(VORL_ERR_NO_MEMORY,
                       [&] { return WriteOutputFile(path, bytes, source, offset, size, inputs, failure); });
}

}  // extern "C"
