/* Prints the row counts of the index tables that the build packed. */
#include <stdio.h>

#include <levels/level.h>

#include "assets.h"
#include "files.h"
#include "vorl_reader.h"

int main(void)
{
    printf("%u assets, %u files, %u levels\n", (unsigned)(GameAssets_SIZE / sizeof GameAssets[0]),
           (unsigned)(Files_SIZE / sizeof Files[0]), (unsigned)(Level_SIZE / sizeof Level[0]));
    return 0;
}
