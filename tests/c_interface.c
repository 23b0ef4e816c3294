/* Every exported function and variable used once from C, compiled as C99: the
 * headers must be valid C and the symbols plain and unmangled. */
#include <seqtrace/array.h>
#include <seqtrace/byte_order_io.h>
#include <seqtrace/ctf_codec.h>
#include <seqtrace/ctf_file.h>
#include <seqtrace/file_utils.h>
#include <seqtrace/int_float.h>
#include <seqtrace/scf_support.h>
#include <seqtrace/xalloc.h>

#include <stdio.h>
#include <string.h>

int seqtrace_c_interface_failures(const char *dir, char *message, size_t size);

static int failures;
static char *first_message;
static size_t message_size;

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            if (failures++ == 0)                                                                   \
                snprintf(first_message, message_size, "line %d: %s", __LINE__, #condition);        \
        }                                                                                          \
    } while (0)

static void byte_order(const char *dir) {
    char path[4096];
    snprintf(path, sizeof path, "%s/ints", dir);
    FILE *f = fopen(path, "w+b");
    CHECK(f != NULL);
    if (f == NULL)
        return;
    uint8_t b = 0x12;
    uint16_t h = 0x3456;
    uint32_t w = 0x789ABCDEu;
    CHECK(be_write_int_1(f, &b) == 1);
    CHECK(be_write_int_2(f, &h) == 1);
    CHECK(be_write_int_4(f, &w) == 1);
    CHECK(le_write_int_1(f, &b) == 1);
    CHECK(le_write_int_2(f, &h) == 1);
    CHECK(le_write_int_4(f, &w) == 1);
    rewind(f);
    uint8_t rb = 0;
    uint16_t rh = 0;
    uint32_t rw = 0;
    CHECK(be_read_int_1(f, &rb) == 1 && rb == b);
    CHECK(be_read_int_2(f, &rh) == 1 && rh == h);
    CHECK(be_read_int_4(f, &rw) == 1 && rw == w);
    CHECK(le_read_int_1(f, &rb) == 1 && rb == b);
    CHECK(le_read_int_2(f, &rh) == 1 && rh == h);
    CHECK(le_read_int_4(f, &rw) == 1 && rw == w);
    fclose(f);
    CHECK(int_to_float(0x3F800000) == 1.0f);
}

static void scf(const char *dir) {
    char path[4096];
    snprintf(path, sizeof path, "%s/magic.scf", dir);
    FILE *f = fopen(path, "wb");
    CHECK(f != NULL && fwrite(".scf", 4, 1, f) == 1);
    if (f != NULL)
        fclose(f);
    CHECK(is_scf(path) == 1);
    CHECK(scf_version_str2float("3.00") == 3.0f);
    CHECK(strcmp(scf_version_float2str(2.5f), "2.50") == 0);
    int8_t bytes[4] = {10, 20, 30, 40};
    delta_samples1(bytes, 4, 1);
    CHECK(bytes[0] == 10 && bytes[1] == 0 && bytes[3] == 0);
    uint16_t words[3] = {5, 9, 4};
    delta_samples2(words, 3, 1);
    delta_samples2(words, 3, 0);
    CHECK(words[0] == 5 && words[1] == 9 && words[2] == 4);
    ScfRecord *record = scf_allocate(10, 2, 3, 4, 5);
    CHECK(record != NULL);
    if (record != NULL) {
        CHECK(record->header.sample_size == 2 && record->comments != NULL);
        scf_deallocate(record);
    }
}

static void ctf(const char *dir) {
    char path[4096];
    snprintf(path, sizeof path, "%s/trace.ctf", dir);
    uint16_t a[2] = {1, 2}, c[2] = {3, 4}, g[2] = {5, 6}, t[2] = {7, 8};
    char bases[1] = {'A'};
    uint32_t peaks[1] = {1};
    TraceRecord trace = {9, NULL, 2, a, c, g, t, 1, bases, peaks};
    CHECK(write_ctf(path, &trace) == 0);
    TraceRecord *read = read_ctf(path);
    CHECK(read != NULL && read->num_points == 2 && strcmp(read->file_name, path) == 0);
    ctfFreeTrace(read);

    FILE *f = fopen(path, "w+b");
    CHECK(f != NULL);
    if (f == NULL)
        return;
    CHECK(fwrite_ctf(f, &trace) == 0);
    CHECK(ctfFWrite(f, &trace) == 0);
    rewind(f);
    TraceRecord *one = fread_ctf(f);
    TraceRecord *two = ctfFRead(f);
    CHECK(one != NULL && two != NULL && two->trace_T[1] == 8 && two->bases[0] == 'A');
    ctfFreeTrace(one);
    ctfFreeTrace(two);
    fclose(f);
}

static void files(const char *dir) {
    char path[4096];
    snprintf(path, sizeof path, "%s/list", dir);
    FILE *f = fopen(path, "w");
    CHECK(f != NULL && fputs("  one.scf rest\n\ntwo.scf\n", f) >= 0);
    if (f != NULL)
        fclose(f);
    CHECK(is_directory(dir) == 1);
    CHECK(is_file(path) == 1);
    CHECK(file_exists(path) == 1);
    CHECK(compressed_file_exists(path) == 1);
    CHECK(file_size(path) == 24);
    FILE *list = open_fofn(path);
    CHECK(list != NULL);
    if (list == NULL)
        return;
    const char *name = read_fofn(list);
    CHECK(name != NULL && strcmp(name, "one.scf") == 0);
    CHECK(close_fofn(list) == 0);
}

static void arrays(void) {
    Array array = ArrayCreate((int32_t)sizeof(int), 0);
    CHECK(array != NULL);
    if (array == NULL)
        return;
    CHECK(ArrayExtend(array, 10) == ARRAY_NO_ERROR && array->capacity == 16);
    int *slot = (int *)ArrayRef(array, 20);
    CHECK(slot != NULL && array->count == 21);
    CHECK(ArrayDestroy(array) == ARRAY_NO_ERROR && ArrayError == ARRAY_NO_ERROR);
    CHECK(strcmp(ArrayErrorString(ARRAY_FULL), "Array full") == 0);
}

static void allocation(void) {
    char *block = (char *)xmalloc(8);
    int *zeros = (int *)xcalloc(4, (int32_t)sizeof(int));
    CHECK(block != NULL && zeros != NULL && zeros[3] == 0);
    char *grown = (char *)xrealloc(block, 64);
    CHECK(grown != NULL);
    xfree(grown != NULL ? grown : block);
    xfree(zeros);
}

int seqtrace_c_interface_failures(const char *dir, char *message, size_t size) {
    failures = 0;
    first_message = message;
    message_size = size;
    message[0] = '\0';
    byte_order(dir);
    scf(dir);
    ctf(dir);
    files(dir);
    arrays();
    allocation();
    return failures;
}
