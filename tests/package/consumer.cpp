// A tiny C++ program against an installed seqtrace, through the C++ layer.
#include <seqtrace/seqtrace.hpp>

#include <cstdio>
#include <variant>

int main() {
    seqtrace::scf_record record = seqtrace::make_scf_record(4, 1, 2, 0, 0);
    seqtrace::array array = seqtrace::make_array(8, 4);
    bool ok = record && array && ArrayRef(array.get(), 3) != nullptr;
    if (record) {
        record->header.samples = 4;
        ok = ok && std::holds_alternative<seqtrace::view<ScfSamples1>>(seqtrace::samples(*record));
    }
    ok = ok && !seqtrace::fofn_names("/no/such/list").opened();
    std::puts(ok ? "c++ consumer ok" : "c++ consumer FAILED");
    return ok ? 0 : 1;
}
