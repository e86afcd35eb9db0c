/* vorl_reader.h - reading a pack's binary index in the consuming program.
 * (being written) */
#ifndef VORL_READER_H
#define VORL_READER_H
#endif /* VORL_READER_H */
