/*
 * game: reads back the packs its build made.
 *
 *   game [DATA_FOLDER]
 *
 * The sprites' index is the C array of <assets/sprites.h>, compiled in;
 * the sounds' index is in front of their data and the levels' index is a
 * file of its own, both read with vorl_reader.h when the game runs.
 * Without DATA_FOLDER the data files are read where the build wrote them;
 * an installed game is given the folder they were installed to. Exits 0
 * only when every pack holds what this example packed.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <assets/sprites.h>
#include <vorl_reader.h>

/* What CMakeLists.txt packs: a game would not check its own assets, but
 * this one is run by a test. */
enum { SPRITE_COUNT = 3, SOUND_ROWS = 5, LEVEL_COUNT = 2 };
static const char first_sound[] = "JUMP 01: beep\n";

/* The bytes of a data file, in a buffer the caller frees; null after a
 * message. A file of DATA_FOLDER keeps the name the build gave it. */
static unsigned char *load(const char *folder, const char *built, size_t *size)
{
    char name[4096];
    const char *path = built;
    if (folder != NULL) {
        const char *base = strrchr(built, '/');
        snprintf(name, sizeof name, "%s/%s", folder, base != NULL ? base + 1 : built);
        path = name;
    }
    FILE *file = fopen(path, "rb");
    if (file == NULL) {
        fprintf(stderr, "game: cannot open %s\n", path);
        return NULL;
    }
    long length = -1;
    if (fseek(file, 0, SEEK_END) == 0) {
        length = ftell(file);
    }
    unsigned char *bytes = NULL;
    if (length >= 0 && fseek(file, 0, SEEK_SET) == 0) {
        /* One byte more, so that an empty file is not a failed malloc. */
        bytes = malloc((size_t)length + 1);
    }
    if (bytes == NULL || fread(bytes, 1, (size_t)length, file) != (size_t)length) {
        fprintf(stderr, "game: cannot read %s\n", path);
        free(bytes);
        bytes = NULL;
    }
    fclose(file);
    *size = (size_t)length;
    return bytes;
}

static int fail(const char *what)
{
    fprintf(stderr, "game: %s\n", what);
    return 0;
}

/* The index values count 4-byte units (ALIGN 4). With running offsets the
 * last row is the end of the data, not a sprite. */
static int check_sprites(const char *folder)
{
    const size_t rows = Sprites_SIZE / sizeof Sprites[0];
    size_t size;
    unsigned char *data = load(folder, SPRITES_PACK, &size);
    int good = data != NULL;
    if (good && rows - 1 != SPRITE_COUNT) {
        good = fail("the sprites' header does not hold 3 sprites");
    }
    if (good && (size_t)Sprites[rows - 1] * 4u != size) {
        good = fail("the sprites' data file does not end where their index does");
    }
    if (good) {
        size_t first = (size_t)(Sprites[1] - Sprites[0]) * 4u;
        printf("%u sprites, sprite 0: %u bytes\n", (unsigned)(rows - 1), (unsigned)first);
        if (memcmp(data + (size_t)Sprites[0] * 4u, "P2\n", 3) != 0) {
            good = fail("sprite 0 is not a picture");
        }
    }
    free(data);
    return good;
}

static int check_sounds(const char *folder)
{
    size_t size;
    unsigned char *pack = load(folder, SOUNDS_PACK, &size);
    if (pack == NULL) {
        return 0;
    }
    VorlReaderIndex index;
    const unsigned char *item = NULL;
    size_t length = 0;
    VorlReaderEntry unused;
    VorlReaderEntry shared;
    int status = VorlReaderOpenPack(&index, pack, size);
    if (status == VORL_READER_OK) {
        status = VorlReaderItem(&index, NULL, 0, &item, &length);
    }
    if (status == VORL_READER_OK) {
        status = VorlReaderRow(&index, 2, &unused);
    }
    if (status == VORL_READER_OK) {
        status = VorlReaderRow(&index, 3, &shared);
    }
    int good = 1;
    if (status != VORL_READER_OK) {
        fprintf(stderr, "game: %s: %s\n", SOUNDS_PACK, VorlReaderErrorText(status));
        good = 0;
    }
    if (good) {
        /* The bytes without their line end, to keep the output one line. */
        int shown = (int)(length > 0 && item[length - 1] == '\n' ? length - 1 : length);
        printf("sound 0: %u bytes: %.*s\n", (unsigned)length, shown, (const char *)item);
        if (length != sizeof first_sound - 1 || memcmp(item, first_sound, length) != 0) {
            good = fail("sound 0 is not the jump");
        }
        if (VorlReaderRowCount(&index) != SOUND_ROWS + 1) {
            good = fail("the sounds' pack does not hold 5 rows and its end");
        }
        if (unused.hasData || !shared.hasData || shared.owner != 0) {
            good = fail("sound 2 is not unused, or sound 3 does not share sound 0");
        }
    }
    if (good) {
        printf("sound 2: no data, sound 3: shares sound 0\n");
    }
    free(pack);
    return good;
}

static int check_levels(const char *folder)
{
    size_t indexSize;
    size_t dataSize;
    unsigned char *table = load(folder, LEVELS_INDEX, &indexSize);
    unsigned char *data = load(folder, LEVELS_PACK, &dataSize);
    int good = table != NULL && data != NULL;
    VorlReaderIndex index;
    int status = VORL_READER_OK;
    if (good) {
        status = VorlReaderOpen(&index, table, indexSize, dataSize);
    }
    if (status != VORL_READER_OK) {
        fprintf(stderr, "game: %s: %s\n", LEVELS_INDEX, VorlReaderErrorText(status));
        good = 0;
    }
    if (good) {
        size_t levels = 0;
        size_t first = 0;
        VorlReaderCursor cursor;
        VorlReaderEntry entry;
        VorlReaderStartRows(&cursor);
        while (VorlReaderNextRow(&index, &cursor, &entry) == 1) {
            if (entry.hasData) {
                if (levels == 0) {
                    first = entry.size;
                    /* A level is a map drawn in text, walls first. */
                    good = data[entry.offset] == '#' ? good : fail("level 0 is not a map");
                }
                ++levels;
            }
        }
        printf("%u levels, level 0: %u bytes\n", (unsigned)levels, (unsigned)first);
        if (levels != LEVEL_COUNT) {
            good = fail("the levels' pack does not hold 2 levels");
        }
    }
    free(table);
    free(data);
    return good;
}

int main(int argc, char **argv)
{
    if (argc > 2) {
        fprintf(stderr, "usage: game [DATA_FOLDER]\n");
        return 2;
    }
    const char *folder = argc == 2 ? argv[1] : NULL;
    /* Every pack is checked, so that one failure does not hide another. */
    int good = check_sprites(folder);
    good = check_sounds(folder) && good;
    good = check_levels(folder) && good;
    return good ? 0 : 1;
}
