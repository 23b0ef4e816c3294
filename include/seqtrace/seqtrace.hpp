// seqtrace: a thin C++17 layer over the C interface, header-only.
//
// Owners that release what the C functions hand out, a range over the names in a
// file of file names, and typed views of an SCF record's samples and bases. The C
// interface underneath is unchanged, and nothing here throws: failures show as
// empty owners and empty ranges, exactly as the C functions report them.
#ifndef SEQTRACE_SEQTRACE_HPP
#define SEQTRACE_SEQTRACE_HPP

#include <seqtrace/array.h>
#include <seqtrace/byte_order_io.h>
#include <seqtrace/ctf_codec.h>
#include <seqtrace/ctf_file.h>
#include <seqtrace/file_utils.h>
#include <seqtrace/int_float.h>
#include <seqtrace/scf_support.h>

#include <cstddef>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace seqtrace {

// ---- Owners ------------------------------------------------------------------------

struct scf_record_deleter {
    void operator()(ScfRecord *record) const noexcept { scf_deallocate(record); }
};
struct array_deleter {
    void operator()(ArrayRecord *array) const noexcept { ArrayDestroy(array); }
};
struct trace_deleter {
    void operator()(TraceRecord *trace) const noexcept { ctfFreeTrace(trace); }
};
struct fofn_deleter {
    void operator()(FILE *stream) const noexcept { close_fofn(stream); }
};

using scf_record = std::unique_ptr<ScfRecord, scf_record_deleter>;
using array = std::unique_ptr<ArrayRecord, array_deleter>;
using trace = std::unique_ptr<TraceRecord, trace_deleter>;
using fofn = std::unique_ptr<FILE, fofn_deleter>;

// scf_allocate, owned: empty when it fails.
inline scf_record make_scf_record(int32_t num_samples, int32_t sample_size, int32_t num_bases,
                                  int32_t comments_size, int32_t private_size) noexcept {
    return scf_record(
        scf_allocate(num_samples, sample_size, num_bases, comments_size, private_size));
}

// ArrayCreate, owned: empty when it fails (ArrayError says why).
inline array make_array(int32_t element_size, int32_t initial_capacity) noexcept {
    return array(ArrayCreate(element_size, initial_capacity));
}

// read_ctf, owned: empty when the file cannot be opened or decoded.
inline trace read_trace(const char *path) noexcept {
    return trace(read_ctf(path));
}

// open_fofn, owned: empty when the list cannot be opened. Closed with close_fofn.
inline fofn open_list(const char *path) noexcept {
    return fofn(open_fofn(path));
}

// ---- Names in a file of file names -------------------------------------------------

// A single-pass range over the names read_fofn gives:
//
//     for (std::string_view name : seqtrace::fofn_names(path)) ...
//
// A list that cannot be opened is an empty range; test opened() to tell it from an
// empty list. Each name views read_fofn's static buffer, so it is valid only until
// the range advances (copy it into a std::string to keep it), and two ranges read
// at once overwrite each other's names.
class fofn_names {
  public:
    class iterator {
      public:
        using iterator_category = std::input_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string_view *;
        using reference = const std::string_view &;

        iterator() noexcept = default;
        reference operator*() const noexcept { return name_; }
        pointer operator->() const noexcept { return &name_; }
        iterator &operator++() noexcept {
            next();
            return *this;
        }
        void operator++(int) noexcept { next(); }
        friend bool operator==(const iterator &a, const iterator &b) noexcept {
            return a.stream_ == b.stream_;
        }
        friend bool operator!=(const iterator &a, const iterator &b) noexcept { return !(a == b); }

      private:
        friend class fofn_names;
        explicit iterator(FILE *stream) noexcept : stream_(stream) { next(); }
        void next() noexcept {
            const char *name = stream_ != nullptr ? read_fofn(stream_) : nullptr;
            if (name == nullptr)
                stream_ = nullptr; // the end
            else
                name_ = name;
        }
        FILE *stream_ = nullptr;
        std::string_view name_;
    };

    explicit fofn_names(const char *path) noexcept : list_(open_list(path)) {}
    explicit fofn_names(const std::string &path) noexcept : fofn_names(path.c_str()) {}

    bool opened() const noexcept { return list_ != nullptr; }
    iterator begin() noexcept { return iterator(list_.get()); }
    iterator end() noexcept { return iterator(); }

  private:
    fofn list_;
};

// ---- Typed views of an SCF record ----------------------------------------------------

// A contiguous run of T, not owned.
template <typename T> class view {
  public:
    view() noexcept = default;
    view(T *data, std::size_t size) noexcept : data_(data), size_(size) {}
    T *data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    T *begin() const noexcept { return data_; }
    T *end() const noexcept { return data_ + size_; }
    T &operator[](std::size_t i) const noexcept { return data_[i]; }

  private:
    T *data_ = nullptr;
    std::size_t size_ = 0;
};

using sample_view = std::variant<view<ScfSamples1>, view<ScfSamples2>>;

// The record's sample points, header.samples of them, as ScfSamples1 when
// header.sample_size is 1 and as ScfSamples2 otherwise (scf_allocate's rule). The
// count is the header's: it must not exceed what the record was allocated for.
inline sample_view samples(ScfRecord &record) noexcept {
    const std::size_t n = record.header.samples;
    if (record.header.sample_size == 1)
        return view<ScfSamples1>(static_cast<ScfSamples1 *>(record.samples), n);
    return view<ScfSamples2>(static_cast<ScfSamples2 *>(record.samples), n);
}

// The record's base entries, header.bases of them; the same caveat applies.
inline view<ScfBase> bases(ScfRecord &record) noexcept {
    return view<ScfBase>(static_cast<ScfBase *>(record.bases), record.header.bases);
}

} // namespace seqtrace

#endif // SEQTRACE_SEQTRACE_HPP
