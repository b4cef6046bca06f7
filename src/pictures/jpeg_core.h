#ifndef ZV_JPEG_CORE_H
#define ZV_JPEG_CORE_H
/* The libjpeg calls, kept in C: a fatal libjpeg error leaves through longjmp, which must
   not cross C++ frames with destructors. */
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ZvJpegHeader {
    int width;
    int height;
    int components;
    int progressive;
} ZvJpegHeader;

typedef struct ZvJpegImage {
    int width;           /* output size */
    int height;
    int bits;            /* 24 (BGR) or 8 (palette indices) */
    int stride;          /* bytes per row, a multiple of 4; rows are top-down */
    unsigned char* pixels; /* malloc'd; rows not decoded stay white (or palette index 0) */
    int palette_size;
    unsigned char palette[256][3]; /* RGB */
    int rows_done;
} ZvJpegImage;

/* Memory that libjpeg's large requests reuse across decodings on one thread (jpeg_scratch.h). */
typedef struct ZvJpegScratch ZvJpegScratch;
void* zv_jpeg_scratch_take(ZvJpegScratch* scratch, size_t size);
int zv_jpeg_scratch_give(ZvJpegScratch* scratch, void* block);

/* 0 on success, else libjpeg's message code. */
int zv_jpeg_read_header(const unsigned char* data, size_t size, ZvJpegHeader* header);

/* Decodes at scale scale_eighths/8 (1..8). quantize: 8-bit output with at most 236 colours
   (always so for one-component files). block_smoothing: libjpeg's smoothing of progressive
   files whose coefficients are incomplete; off only for the scans jpeg_dc_scans.h picks.
   Returns 0 or libjpeg's message code (JERR_OUT_OF_MEMORY also when the output's own memory
   cannot be had); on a fatal error the image keeps the rows decoded so far. The caller frees
   image->pixels. scratch: NULL, or the memory that libjpeg's large requests take (and give
   back) instead of fresh memory. */
int zv_jpeg_decode(const unsigned char* data, size_t size, int scale_eighths, int quantize, int block_smoothing,
                   ZvJpegScratch* scratch, ZvJpegImage* image);

/* Whether a code from zv_jpeg_decode means that memory ran out (libjpeg's own request or the
   output's), rather than something in the file. */
int zv_jpeg_out_of_memory(int code);
/* That code, for memory that the caller's own work on the output could not have. */
int zv_jpeg_out_of_memory_code(void);

/* libjpeg's output size at scale_eighths/8, as it rounds. */
int zv_jpeg_scaled_size(int size, int scale_eighths);

#ifdef __cplusplus
}
#endif
#endif
