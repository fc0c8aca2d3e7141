/* KavUtils: reads and writes survey data files (.kav).
 *
 * Reading is three calls: KavFileLoad reads a file into the survey the library
 * holds and gives its header; KavFileLoadData copies the records into arrays the
 * caller sized from the record count; KavFileLoadClose releases the survey.
 * Writing is one call per layout. Every pointer is optional (null = not given);
 * results are 1 for success and 0 for failure.
 *
 * Array layout: element i * 14 + k - 1 of a value array belongs to record i
 * (from 0) and channel k (1..14); tag and coordinate arrays hold one element per
 * record. Values are 24-bit two's-complement numbers; a writer keeps the low 24
 * bits and marks a channel present when any of its four values is non-zero.
 *
 * Damaged files. A header whose counts cannot describe the file is refused
 * before anything large is allocated: negative station, line or record counts,
 * a stations x lines product beyond 2^31 - 1, or a record count that leaves more
 * records missing past the end of the file than the file holds (with a margin of
 * 4096 records). Records that lie past the end of an otherwise plausible file
 * read as empty records (every channel absent, tag 0, coordinates 0), as does a
 * record cut short by the end of the file. KavFileLastError tells why the last
 * load or save failed.
 *
 * Writing. A file is written under a temporary name and renamed onto the target
 * only when every byte was written, so a failed save leaves any earlier file of
 * that name untouched and reports 0.
 *
 * State. The held survey is per thread: loads on one thread never see another's.
 * A second KavFileLoad without KavFileLoadClose replaces the survey held.
 */
#ifndef KAVUTILS_H
#define KAVUTILS_H

#include <stdint.h>

#if defined(KAVUTILS_BUILD)
#define KAVUTILS_API __attribute__((visibility("default")))
#else
#define KAVUTILS_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Reads a survey data file. Text buffers must hold 256 bytes. Steps are the
 * file's values passed through 32-bit float. First station, first line, stations
 * and lines are 0 and the steps 0.0 for a scattered survey. */
KAVUTILS_API int32_t KavFileLoad(const char *fileName, char *text1, char *text2, char *text3,
                                 int32_t *recordCount, int32_t *deviceNumber, int32_t *day,
                                 int32_t *month, int32_t *year, int32_t *firstStation,
                                 int32_t *firstLine, int32_t *stations, int32_t *lines,
                                 double *xStep, double *yStep);

/* Copies the held survey's records out: values of absent channels and of empty
 * records are 0. Coordinate arrays are written for a scattered survey only.
 * Returns 0 and writes nothing when no survey is held. */
KAVUTILS_API int32_t KavFileLoadData(int32_t *value1, int32_t *value2, int32_t *value3,
                                     int32_t *value4, uint32_t *tags, double *coord1,
                                     double *coord2);

/* Releases the held survey. Always 1. */
KAVUTILS_API int32_t KavFileLoadClose(void);

/* Writes an orthogonal-grid survey of stations x lines records in serpentine
 * order. Value arrays hold stations x lines x 14 elements, the tag array
 * stations x lines. Stations 0 stands for a survey given no grid: 20 empty
 * records on one line are written. Negative counts fail. */
KAVUTILS_API int32_t KavFileSaveRegular(
    const char *fileName, const char *text1, const char *text2, const char *text3,
    const uint16_t *deviceNumber, const uint8_t *day, const uint8_t *month, const uint16_t *year,
    const int32_t *firstStation, const int32_t *firstLine, const int32_t *stations,
    const int32_t *lines, const double *xStep, const double *yStep, const int32_t *value1,
    const int32_t *value2, const int32_t *value3, const int32_t *value4, const uint32_t *tags);

/* Writes a chaotic-grid survey of recordCount records, each with its pair
 * (coordinate 1, coordinate 2). A negative count fails. */
KAVUTILS_API int32_t KavFileSaveScattered(
    const char *fileName, const char *text1, const char *text2, const char *text3,
    const uint16_t *deviceNumber, const uint8_t *day, const uint8_t *month, const uint16_t *year,
    const int32_t *recordCount, const int32_t *value1, const int32_t *value2, const int32_t *value3,
    const int32_t *value4, const uint32_t *tags, const double *coord1, const double *coord2);

/* Fixed-answer test functions. */
KAVUTILS_API int32_t MyLoadInteger(int32_t *value); /* writes 123456789 */
KAVUTILS_API int32_t MyLoadString(char *text);      /* copies "Hello, world!" */
KAVUTILS_API double get156(void);                   /* 156.0 */
KAVUTILS_API double sum(double a, double b);        /* a + b */

/* Why the last load or save on this thread failed ("" after a success). */
KAVUTILS_API const char *KavFileLastError(void);

#ifdef __cplusplus
}
#endif

#endif
