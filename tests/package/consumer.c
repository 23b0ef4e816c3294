/* A tiny C program against an installed seqtrace: one call per module family. */
#include <seqtrace/array.h>
#include <seqtrace/byte_order_io.h>
#include <seqtrace/ctf_file.h>
#include <seqtrace/file_utils.h>
#include <seqtrace/scf_support.h>

#include <stdio.h>
#include <string.h>

int main(void) {
    FILE *f = tmpfile();
    uint32_t magic = SCF_MAGIC, back = 0;
    int ok = f != NULL && be_write_int_4(f, &magic) && fseek(f, 0, SEEK_SET) == 0 &&
             be_read_int_4(f, &back) && back == SCF_MAGIC;
    if (f != NULL)
        fclose(f);
    ScfRecord *record = scf_allocate(10, 2, 1, 0, 0);
    ok = ok && record != NULL && strcmp(scf_version_float2str(3.0f), "3.00") == 0;
    if (record != NULL)
        scf_deallocate(record);
    Array array = ArrayCreate(4, 0);
    ok = ok && ArrayRef(array, 10) != NULL && ArrayDestroy(array) == ARRAY_NO_ERROR;
    ok = ok && is_directory("/") == 1 && read_ctf("/no/such/file.ctf") == NULL;
    puts(ok ? "c consumer ok" : "c consumer FAILED");
    return ok ? 0 : 1;
}
