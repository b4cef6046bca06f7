#include "pictures/jpeg_core.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jpeglib.h>
#include <jerror.h>

/* The error manager, extended with the way out and the decoding's scratch memory. */
typedef struct ZvErrorManager {
    struct jpeg_error_mgr base;
    jmp_buf escape;
    ZvJpegScratch* scratch;
} ZvErrorManager;

static void zv_error_exit(j_common_ptr cinfo) {
    ZvErrorManager* err = (ZvErrorManager*)cinfo->err;
    longjmp(err->escape, 1);
}

/* Warnings and trace messages are dropped; decoding goes on. */
static void zv_emit_message(j_common_ptr cinfo, int msg_level) {
    (void)cinfo;
    (void)msg_level;
}

static void zv_output_message(j_common_ptr cinfo) { (void)cinfo; }

static void zv_setup_errors(ZvErrorManager* err) {
    jpeg_std_error(&err->base);
    err->scratch = NULL;
    err->base.error_exit = zv_error_exit;
    err->base.emit_message = zv_emit_message;
    err->base.output_message = zv_output_message;
}

/* The scratch a decoding of ours runs with, or NULL. Ours is known by its exit: the memory
   interface below serves every decompressor and compressor in the process, the test fixtures'
   among them, whose client data means nothing here. */
static ZvJpegScratch* zv_jpeg_scratch_of(j_common_ptr cinfo) {
    if (!cinfo->err || cinfo->err->error_exit != zv_error_exit) return NULL;
    return ((ZvErrorManager*)cinfo->err)->scratch;
}

int zv_jpeg_out_of_memory(int code) { return code == JERR_OUT_OF_MEMORY; }

int zv_jpeg_out_of_memory_code(void) { return JERR_OUT_OF_MEMORY; }

int zv_jpeg_scaled_size(int size, int scale_eighths) {
    return (int)(((long long)size * scale_eighths + 7) / 8);
}

int zv_jpeg_read_header(const unsigned char* data, size_t size, ZvJpegHeader* header) {
    struct jpeg_decompress_struct cinfo;
    ZvErrorManager err;
    int code;
    memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = &err.base;
    zv_setup_errors(&err);
    if (setjmp(err.escape)) {
        code = err.base.msg_code;
        jpeg_destroy_decompress(&cinfo);
        return code ? code : -1;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, (unsigned char*)data, (unsigned long)size);
    jpeg_read_header(&cinfo, TRUE);
    header->width = (int)cinfo.image_width;
    header->height = (int)cinfo.image_height;
    header->components = cinfo.num_components;
    header->progressive = cinfo.progressive_mode ? 1 : 0;
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

/* CMYK and YCCK files come out as inverted CMYK, as the common writers store them. */
static void zv_cmyk_row_to_bgr(const unsigned char* in, unsigned char* out, int width) {
    int x;
    for (x = 0; x < width; ++x) {
        const unsigned k = in[4 * x + 3];
        out[3 * x + 0] = (unsigned char)(in[4 * x + 2] * k / 255);
        out[3 * x + 1] = (unsigned char)(in[4 * x + 1] * k / 255);
        out[3 * x + 2] = (unsigned char)(in[4 * x + 0] * k / 255);
    }
}

int zv_jpeg_decode(const unsigned char* data, size_t size, int scale_eighths, int quantize, int block_smoothing,
                   ZvJpegScratch* scratch, ZvJpegImage* image) {
    struct jpeg_decompress_struct cinfo;
    ZvErrorManager err;
    unsigned char* volatile cmyk_row = NULL;
    volatile int code = 0;
    memset(image, 0, sizeof *image);
    memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = &err.base;
    zv_setup_errors(&err);
    err.scratch = scratch;
    if (setjmp(err.escape)) {
        code = err.base.msg_code ? err.base.msg_code : -1;
        goto done;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, (unsigned char*)data, (unsigned long)size);
    jpeg_read_header(&cinfo, TRUE);

    cinfo.scale_num = (unsigned)scale_eighths;
    cinfo.scale_denom = 8;
    cinfo.do_block_smoothing = block_smoothing ? TRUE : FALSE;
    cinfo.buffered_image = FALSE;
    if (cinfo.num_components == 1 || quantize) {
        cinfo.out_color_space = cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 236;
    } else if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        cinfo.out_color_space = JCS_CMYK;
    } else {
        cinfo.out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(&cinfo);

    image->width = (int)cinfo.output_width;
    image->height = (int)cinfo.output_height;
    image->bits = cinfo.quantize_colors ? 8 : 24;
    image->stride = ((image->width * (image->bits / 8)) + 3) & ~3;
    if ((size_t)image->stride * (size_t)image->height / (size_t)image->stride != (size_t)image->height) {
        code = -1;
        goto done;
    }
    image->pixels = (unsigned char*)malloc((size_t)image->stride * (size_t)image->height);
    if (!image->pixels) {
        code = JERR_OUT_OF_MEMORY; /* as when libjpeg's own request fails */
        goto done;
    }
    memset(image->pixels, image->bits == 24 ? 0xFF : 0, (size_t)image->stride * (size_t)image->height);
    if (cinfo.out_color_space == JCS_CMYK) {
        cmyk_row = (unsigned char*)malloc((size_t)image->width * 4);
        if (!cmyk_row) {
            code = JERR_OUT_OF_MEMORY;
            goto done;
        }
    }
    if (cinfo.quantize_colors) {
        int i;
        image->palette_size = cinfo.actual_number_of_colors;
        for (i = 0; i < cinfo.actual_number_of_colors && i < 256; ++i) {
            if (cinfo.out_color_components == 1) {
                image->palette[i][0] = image->palette[i][1] = image->palette[i][2] = cinfo.colormap[0][i];
            } else {
                image->palette[i][0] = cinfo.colormap[0][i];
                image->palette[i][1] = cinfo.colormap[1][i];
                image->palette[i][2] = cinfo.colormap[2][i];
            }
        }
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        unsigned char* row = image->pixels + (size_t)image->stride * cinfo.output_scanline;
        JSAMPROW target = cmyk_row ? cmyk_row : row;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) break;
        if (cmyk_row) zv_cmyk_row_to_bgr(cmyk_row, row, image->width);
        image->rows_done = (int)cinfo.output_scanline;
    }
    jpeg_finish_decompress(&cinfo);

done:
    free(cmyk_row);
    jpeg_destroy_decompress(&cinfo);
    return code;
}

/* libjpeg's system-dependent memory interface (jmemsys.h), in place of the library's own
   jmemnobs.c: the same malloc and free, except that a decoding of ours with a scratch takes its
   large blocks from there. It is in this file because the linker takes it from our static
   library only together with something the program calls; otherwise libjpeg's own would be
   linked instead, silently. */

struct backing_store_struct;

void* jpeg_get_small(j_common_ptr cinfo, size_t sizeofobject) {
    (void)cinfo;
    return malloc(sizeofobject);
}

void jpeg_free_small(j_common_ptr cinfo, void* object, size_t sizeofobject) {
    (void)cinfo;
    (void)sizeofobject;
    free(object);
}

void* jpeg_get_large(j_common_ptr cinfo, size_t sizeofobject) {
    ZvJpegScratch* scratch = zv_jpeg_scratch_of(cinfo);
    /* A scratch that cannot give the block fails the request: libjpeg then stops with its
       own out-of-memory error, as when malloc fails. */
    return scratch ? zv_jpeg_scratch_take(scratch, sizeofobject) : malloc(sizeofobject);
}

void jpeg_free_large(j_common_ptr cinfo, void* object, size_t sizeofobject) {
    ZvJpegScratch* scratch = zv_jpeg_scratch_of(cinfo);
    (void)sizeofobject;
    if (!scratch || !zv_jpeg_scratch_give(scratch, object)) free(object);
}

/* No limit of our own: whatever is asked for is tried. */
size_t jpeg_mem_available(j_common_ptr cinfo, size_t min_bytes_needed, size_t max_bytes_needed,
                          size_t already_allocated) {
    (void)min_bytes_needed;
    if (cinfo->mem->max_memory_to_use) {
        if ((size_t)cinfo->mem->max_memory_to_use > already_allocated)
            return cinfo->mem->max_memory_to_use - already_allocated;
        return 0;
    }
    return max_bytes_needed;
}

/* Reached only where libjpeg is told to limit its memory (the JPEGMEM environment variable):
   the decoding then fails with libjpeg's own error, as with its own interface. */
void jpeg_open_backing_store(j_common_ptr cinfo, struct backing_store_struct* info, long total_bytes_needed) {
    (void)info;
    (void)total_bytes_needed;
    ERREXIT(cinfo, JERR_NO_BACKING_STORE);
}

long jpeg_mem_init(j_common_ptr cinfo) {
    (void)cinfo;
    return 0;
}

void jpeg_mem_term(j_common_ptr cinfo) { (void)cinfo; }
