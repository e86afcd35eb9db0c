/*
 * pack_sample: packs the numbered sample files of a folder with the
 * library's public interface alone, and writes the data file and its C
 * header text.
 *
 *   pack_sample SAMPLE_DIR OUT_DATA OUT_HEADER
 *
 * Every file of SAMPLE_DIR whose name starts with a number NNN becomes
 * entry NNN; the entries are aligned to 4 bytes and indexed with 2-byte
 * values.
 */
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vorl_cnv.h"

static void put_text(char *field, size_t size, const char *text)
{
    snprintf(field, size, "%s", text);
}

static int fill_entries(VorlInformation *info, const char *folder)
{
    DIR *dir = opendir(folder);
    if (dir == NULL) {
        fprintf(stderr, "pack_sample: cannot read the folder %s\n", folder);
        return -1;
    }
    struct dirent *entry;
    while ((entry = readdir(dir)) != NULL) {
        char *end;
        long number = strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || number < 0 || number >= VORL_MAX_ENTRIES) {
            continue;
        }
        IndexEntry *row = &info->entries[number];
        row->use = 1;
        snprintf(row->filename, sizeof row->filename, "%s/%s", folder, entry->d_name);
        if (number + 1 > info->indexnum) {
            info->indexnum = (int32_t)(number + 1);
        }
    }
    closedir(dir);
    return info->indexnum > 0 ? 0 : -1;
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: pack_sample SAMPLE_DIR OUT_DATA OUT_HEADER\n");
        return 2;
    }
    VorlInformation info;
    memset(&info, 0, sizeof info);
    info.entries = calloc(VORL_MAX_ENTRIES, sizeof(IndexEntry));
    if (info.entries == NULL || fill_entries(&info, argv[1]) != 0) {
        free(info.entries);
        fprintf(stderr, "pack_sample: no numbered files in %s\n", argv[1]);
        return 1;
    }
    info.version = VorlGetPrjVersion();
    info.dataalign = 4;
    info.indexout = 1;
    info.indexinterval = 1;
    info.skipnofile = 1;
    info.indexbyte = 2;
    put_text(info.label, sizeof info.label, "SampleIndex");
    put_text(info.type[0], sizeof info.type[0], "static const unsigned char");
    put_text(info.type[1], sizeof info.type[1], "static const unsigned short");
    put_text(info.type[2], sizeof info.type[2], "static const unsigned long");
    put_text(info.type[3], sizeof info.type[3], "static const unsigned long long");
    memcpy(info.headerid, "Vorl", 4);
    put_text(info.datafile, sizeof info.datafile, argv[2]);
    put_text(info.headerfile, sizeof info.headerfile, argv[3]);

    int rc = VorlConvert(&info);
    free(info.entries);
    info.entries = NULL;
    if (rc != 0) {
        char message[256];
        VorlGetErrorStrings(rc, message, sizeof message);
        fprintf(stderr, "pack_sample: conversion failed with code %d\n", rc);
        return 1;
    }
    printf("packed %d entries into %s, index in %s\n", info.indexnum, argv[2], argv[3]);
    return 0;
}
