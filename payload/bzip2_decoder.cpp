// The bzip2 decoders of the payload.
//
// A bzip2 stream is "BZh" + the block size digit, then blocks that each start
// with a 48-bit magic at any bit position (blocks are not byte-aligned) and
// carry the CRC of their output, then an end-of-stream magic, the combined CRC
// of all blocks and padding to a byte. Blocks decode independently, but
// libbz2 can only start at the beginning of a stream: block k is decoded as a
// stream of its own made of the header, block k's bits shifted to a byte
// boundary, the end-of-stream magic and block k's CRC as the combined CRC.
//
// The block magic can also occur by chance inside compressed data. A magic
// found while scanning is only a candidate boundary: the span between two
// candidates is a block only when it decodes completely, matches its CRC and
// ends exactly at the second candidate. A span that fails is merged with the
// next one; when no merge succeeds the data is damaged and the stream filter
// takes over, so that the error and the bytes handed on before it are its own.
#include "payload/bzip2_decoder.h"

#include "support/error.h"

#include <boost/iostreams/filter/bzip2.hpp>
#include <bzlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

namespace av {
namespace {

constexpr std::streamsize filter_block_size = 4096;

// The compressed side of the stream filter: the stream's buffer read directly
// (the stream's state flags stay untouched), counting what was read.
struct counting_source {
    using char_type = char;
    using category = boost::iostreams::source_tag;

    std::streambuf* buffer;
    std::uint64_t* count;

    std::streamsize read(char* s, std::streamsize n)
    {
        const std::streamsize got = buffer->sgetn(s, std::min(n, filter_block_size));
        if (got <= 0)
            return -1;
        *count += static_cast<std::uint64_t>(got);
        return got;
    }
};

constexpr std::uint64_t magic_mask = (std::uint64_t {1} << 48) - 1;
constexpr std::uint64_t block_magic = 0x314159265359;
constexpr std::uint64_t end_magic = 0x177245385090;

// True when the 48-bit pattern equals itself shifted by 1 to 7 bits.
constexpr bool repeats_within_a_byte(std::uint64_t magic)
{
    for (int shift = 1; shift < 8; ++shift)
        if (((((magic << shift) & magic_mask) ^ magic) >> shift) == 0)
            return true;
    return false;
}

// A span is accepted when libbz2 reaches the end of its stream having read
// every byte: the end-of-stream magic was then read less than 8 bits away
// from where it was written, and since the magic does not repeat itself at a
// shift of less than 8 bits, exactly where it was written. The block ended
// exactly at the span's end.
static_assert(!repeats_within_a_byte(end_magic), "the end-of-stream magic must not repeat within a byte");

// The most compressed bits a block of the given size digit takes when every
// symbol has the longest code (20 bits), plus room for its tables. A span
// longer than this is left to the stream filter; it also bounds how far the
// input is read ahead.
std::uint64_t max_block_bits(int level)
{
    return static_cast<std::uint64_t>(level) * 100000u * 20u + (std::uint64_t {1} << 20);
}

// Decoded output of a block held for the interface thread, in pieces so that
// nothing is copied while it grows.
constexpr std::size_t piece_size = 64 * 1024;
// A block whose output exceeds this (long runs expand up to 45 MB) is only
// verified by its decoding thread; the interface thread decodes it again and
// hands the output on as it comes.
constexpr std::size_t max_kept_output = 4 * 1024 * 1024;
constexpr std::size_t read_step = 256 * 1024;

enum class span_result { pending, decoded, too_large, failed };

// libbz2's memory for one thread, kept between the blocks it decodes: the
// decoder's state and its 4-bytes-per-symbol block table (3.6 MB at level 9)
// would otherwise be allocated, faulted in and given back for every block.
class decoder_memory {
public:
    static void* allocate(void* opaque, int items, int size)
    {
        auto& self = *static_cast<decoder_memory*>(opaque);
        const auto bytes = static_cast<std::size_t>(items) * static_cast<std::size_t>(size);
        for (auto& slot : self.slots_) {
            if (!slot.used && slot.memory && slot.size == bytes) {
                slot.used = true;
                return slot.memory.get();
            }
        }
        for (auto& slot : self.slots_) {
            if (!slot.used) {
                slot.memory.reset(new (std::nothrow) char[bytes]);
                if (!slot.memory)
                    return nullptr;
                slot.size = bytes;
                slot.used = true;
                return slot.memory.get();
            }
        }
        return nullptr;  // libbz2 holds at most two blocks at once
    }

    static void release(void* opaque, void* address)
    {
        for (auto& slot : static_cast<decoder_memory*>(opaque)->slots_)
            if (slot.memory.get() == address)
                slot.used = false;
    }

private:
    struct slot {
        std::unique_ptr<char[]> memory;
        std::size_t size = 0;
        bool used = false;
    };
    slot slots_[2];
};

// Decodes a complete bzip2 stream held in memory, passing the output to `out`
// as it comes (`out` answers false to stop). `decoded` only when the stream
// ended and every byte of it was read.
template <class Out>
span_result decode_stream(const std::vector<unsigned char>& stream, decoder_memory& memory, Out&& out)
{
    bz_stream z {};
    z.bzalloc = &decoder_memory::allocate;
    z.bzfree = &decoder_memory::release;
    z.opaque = &memory;
    if (BZ2_bzDecompressInit(&z, 0, 0) != BZ_OK)
        return span_result::failed;
    struct end_guard {
        bz_stream* z;
        ~end_guard() { BZ2_bzDecompressEnd(z); }
    } guard {&z};
    z.next_in = const_cast<char*>(reinterpret_cast<const char*>(stream.data()));
    z.avail_in = static_cast<unsigned>(stream.size());
    char buffer[32 * 1024];
    for (;;) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        const int status = BZ2_bzDecompress(&z);
        const std::size_t produced = sizeof buffer - z.avail_out;
        if (produced > 0 && !out(buffer, produced))
            return span_result::pending;
        if (status == BZ_STREAM_END)
            return z.avail_in == 0 ? span_result::decoded : span_result::failed;
        if (status != BZ_OK)
            return span_result::failed;
        if (z.avail_in == 0 && produced == 0)
            return span_result::failed;  // the block goes on past the span
    }
}

// Appends bits, most significant first, to a byte vector.
class bit_writer {
public:
    explicit bit_writer(std::vector<unsigned char>& out)
        : out_(out)
    {
    }
    void put(std::uint64_t value, int bits)  // bits <= 32
    {
        acc_ = (acc_ << bits) | (value & ((std::uint64_t {1} << bits) - 1));
        count_ += bits;
        while (count_ >= 8) {
            count_ -= 8;
            out_.push_back(static_cast<unsigned char>(acc_ >> count_));
        }
    }
    void flush()
    {
        if (count_ > 0)
            out_.push_back(static_cast<unsigned char>(acc_ << (8 - count_)));
        count_ = 0;
    }

private:
    std::vector<unsigned char>& out_;
    std::uint64_t acc_ = 0;
    int count_ = 0;
};

// One span to decode: its stream and, once done, its output.
struct block_job {
    std::uint64_t begin = 0;  // bit offsets in the compressed input
    std::uint64_t end = 0;
    std::uint32_t crc = 0;  // the block's stored CRC
    std::vector<unsigned char> stream;
    bool keep_output = true;
    std::atomic<bool> cancelled {false};

    // Written by the thread that decodes the job before it sets `done` under
    // the pool's lock; read by the interface thread after it saw `done`.
    span_result result = span_result::pending;
    bool done = false;
    std::vector<std::unique_ptr<char[]>> pieces;
    std::size_t size = 0;

    void decode(decoder_memory& memory)
    {
        if (cancelled.load()) {
            result = span_result::failed;
            return;
        }
        bool too_large = false;
        try {
            result = decode_stream(stream, memory, [this, &too_large](const char* bytes, std::size_t count) {
                if (!keep_output || too_large)
                    return true;
                if (size + count > max_kept_output) {
                    too_large = true;
                    pieces.clear();
                    size = 0;
                    return true;
                }
                while (count > 0) {
                    const std::size_t used = size % piece_size;
                    if (used == 0)
                        pieces.push_back(std::make_unique<char[]>(piece_size));
                    const std::size_t n = std::min(count, piece_size - used);
                    std::memcpy(pieces.back().get() + used, bytes, n);
                    size += n;
                    bytes += n;
                    count -= n;
                }
                return true;
            });
        } catch (const std::bad_alloc&) {
            // Without memory for the output, the span counts as undecoded:
            // the stream filter will decide.
            result = span_result::failed;
        }
        if (result == span_result::decoded && too_large)
            result = span_result::too_large;
        if (result != span_result::decoded) {
            pieces.clear();
            size = 0;
        }
    }
};

// The decoding threads: they take jobs in the order they were submitted.
class decode_pool {
public:
    explicit decode_pool(unsigned threads)
    {
        try {
            for (unsigned i = 0; i < threads; ++i)
                threads_.emplace_back([this] { work(); });
        } catch (...) {
            stop();
            throw;
        }
    }
    ~decode_pool() { stop(); }
    decode_pool(const decode_pool&) = delete;
    decode_pool& operator=(const decode_pool&) = delete;

    void submit(std::shared_ptr<block_job> job)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(job));
        }
        work_ready_.notify_one();
    }

    // Waits until `job` was decoded (or takes it from the queue and decodes
    // it here when no thread has started it yet).
    void wait(const std::shared_ptr<block_job>& job, decoder_memory& memory)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        const auto queued = std::find(queue_.begin(), queue_.end(), job);
        if (queued != queue_.end()) {
            queue_.erase(queued);
            lock.unlock();
            job->decode(memory);
            lock.lock();
            job->done = true;
            return;
        }
        job_done_.wait(lock, [&job] { return job->done; });
    }

private:
    void work()
    {
        decoder_memory memory;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            work_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            std::shared_ptr<block_job> job = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            job->decode(memory);
            lock.lock();
            job->done = true;
            job_done_.notify_all();
        }
    }

    void stop()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        work_ready_.notify_all();
        for (auto& t : threads_)
            if (t.joinable())
                t.join();
    }

    std::mutex mutex_;
    std::condition_variable work_ready_;
    std::condition_variable job_done_;
    std::deque<std::shared_ptr<block_job>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

// Cuts the decoded bytes into the stream filter's chunks: 4096 bytes each,
// the last one shorter. A chunk is handed on only once it is full, or at the
// end of a sound stream: a failure drops the partial chunk, as the filter's
// failing read does.
class chunker {
public:
    explicit chunker(const decoded_sink& sink)
        : sink_(sink)
    {
    }

    // False when the sink asked to stop.
    bool put(const char* bytes, std::size_t count)
    {
        while (count > 0) {
            if (fill_ == 0 && count >= decoded_chunk_size) {
                if (!hand_on(bytes, decoded_chunk_size))
                    return false;
                bytes += decoded_chunk_size;
                count -= decoded_chunk_size;
                continue;
            }
            const std::size_t n = std::min(count, decoded_chunk_size - fill_);
            std::memcpy(buffer_ + fill_, bytes, n);
            fill_ += n;
            bytes += n;
            count -= n;
            if (fill_ == decoded_chunk_size) {
                fill_ = 0;
                if (!hand_on(buffer_, decoded_chunk_size))
                    return false;
            }
        }
        return true;
    }

    bool finish()
    {
        const std::size_t n = fill_;
        fill_ = 0;
        return n == 0 || hand_on(buffer_, n);
    }

    std::uint64_t handed_on() const noexcept { return handed_on_; }

private:
    bool hand_on(const char* bytes, std::size_t count)
    {
        handed_on_ += count;
        return sink_(bytes, count);
    }

    const decoded_sink& sink_;
    char buffer_[decoded_chunk_size];
    std::size_t fill_ = 0;
    std::uint64_t handed_on_ = 0;
};

struct candidate {
    std::uint64_t bit;  // offset of the magic in the compressed input
    bool end;  // the end-of-stream magic, else the block magic
};

// Scanning, spans, and the in-order hand-off of the parallel decoder. Runs on
// the calling thread; the decoding threads only decode jobs.
class parallel_run {
public:
    parallel_run(std::streambuf& in, std::uint64_t& compressed_read, chunker& out, const bzip2_decoding& options,
        unsigned threads)
        : in_(in)
        , compressed_read_(compressed_read)
        , out_(out)
        , keep_output_(options.keep_output)
        , extra_(options.extra_candidates)
        , report_(options.report)
        , max_ahead_(threads + 1)
        , pool_(threads)
    {
        std::sort(extra_.begin(), extra_.end());
        for (int k = 0; k < 8; ++k) {
            for (const std::uint64_t magic : {block_magic, end_magic})
                filter_[(magic >> (8 - k)) & 0xFFu] |= static_cast<unsigned char>(1u << k);
        }
    }

    // True when the stream was decoded (or the sink stopped it); false when
    // the stream filter must decode it (everything the chunker handed on is
    // then exactly what the filter would have handed on so far).
    bool run()
    {
        while (buffer_.size() < 4 && read_more()) { }
        if (buffer_.size() < 4 || buffer_[0] != 'B' || buffer_[1] != 'Z' || buffer_[2] != 'h' || buffer_[3] < '1' ||
            buffer_[3] > '9')
            return false;
        level_ = buffer_[3] - '0';
        max_span_ = max_block_bits(level_);
        while (candidates_.empty() && scanned_bits() < 32 + max_span_ && read_more()) { }
        if (candidates_.empty() || candidates_.front().bit != 32 || candidates_.front().end)
            return false;
        for (;;) {
            fill();
            if (candidates_.size() < 2 || !jobs_.front())
                return false;  // no end of the block in reach: the filter says why
            std::shared_ptr<block_job> job = jobs_.front();
            pool_.wait(job, memory_);
            std::size_t next = 1;
            if (job->result == span_result::failed) {
                job = merged(next);
                if (!job)
                    return false;
            }
            if (report_ != nullptr) {
                ++report_->blocks;
                report_->merges += next - 1;
            }
            if (!hand_on(*job))
                return true;
            combined_crc_ = ((combined_crc_ << 1) | (combined_crc_ >> 31)) ^ job->crc;
            drop_front(next);
            if (candidates_.front().end)
                return finish();
        }
    }

private:
    std::uint64_t scanned_bits() const noexcept { return (base_ + buffer_.size()) * 8; }

    bool read_more()
    {
        if (input_ended_)
            return false;
        const std::size_t old = buffer_.size();
        buffer_.resize(old + read_step);
        const std::streamsize got =
            in_.sgetn(reinterpret_cast<char*>(buffer_.data() + old), static_cast<std::streamsize>(read_step));
        if (got <= 0) {
            buffer_.resize(old);
            input_ended_ = true;
            add_extra_candidates(UINT64_MAX);
            return false;
        }
        buffer_.resize(old + static_cast<std::size_t>(got));
        compressed_read_ += static_cast<std::uint64_t>(got);
        scan(old);
        return true;
    }

    // Looks for both magics in the bytes from `from` on. A byte is checked
    // only when the byte before it can be part of a magic at one of the
    // eight shifts.
    void scan(std::size_t from)
    {
        for (std::size_t i = from; i < buffer_.size(); ++i) {
            const unsigned char byte = buffer_[i];
            register_ = (register_ << 8) | byte;
            const std::uint64_t position = base_ + i;  // absolute byte offset
            if (position < 6)
                continue;
            const unsigned shifts = filter_[(register_ >> 8) & 0xFFu];
            if (shifts == 0)
                continue;
            for (int k = 7; k >= 0; --k) {
                if ((shifts & (1u << k)) == 0)
                    continue;
                const std::uint64_t window = (register_ >> k) & magic_mask;
                if (window != block_magic && window != end_magic)
                    continue;
                const std::uint64_t start = position * 8 + 8 - static_cast<std::uint64_t>(k) - 48;
                if (start >= 32)
                    add_candidate({start, window == end_magic});
            }
        }
        // A later magic starts no earlier than 47 bits before the end.
        const std::uint64_t settled = scanned_bits() >= 47 ? scanned_bits() - 47 : 0;
        add_extra_candidates(settled);
    }

    void add_candidate(candidate c)
    {
        add_extra_candidates(c.bit);
        if (candidates_.empty() || candidates_.back().bit < c.bit) {
            candidates_.push_back(c);
            jobs_.emplace_back();
        }
    }

    // The test's candidates below `limit` (and with their CRC field read).
    void add_extra_candidates(std::uint64_t limit)
    {
        while (
            next_extra_ < extra_.size() && extra_[next_extra_] < limit && extra_[next_extra_] + 80 <= scanned_bits()) {
            const std::uint64_t bit = extra_[next_extra_++];
            if (bit >= 32 && (candidates_.empty() || candidates_.back().bit < bit)) {
                candidates_.push_back({bit, false});
                jobs_.emplace_back();
            }
        }
    }

    std::uint64_t bits_at(std::uint64_t bit, int count) const
    {
        const std::uint64_t first = bit / 8 - base_;
        const std::uint64_t last = (bit + static_cast<std::uint64_t>(count) - 1) / 8 - base_;
        std::uint64_t value = 0;
        for (std::uint64_t i = first; i <= last; ++i)
            value = (value << 8) | buffer_[i];
        const int drop = static_cast<int>((last - first + 1) * 8 - bit % 8) - count;
        return (value >> drop) & ((std::uint64_t {1} << count) - 1);
    }

    // A job for the span [begin, end): the stream "BZh" + level, the span's
    // bits from a byte boundary, the end-of-stream magic and the block's CRC.
    std::shared_ptr<block_job> make_job(std::uint64_t begin, std::uint64_t end) const
    {
        auto job = std::make_shared<block_job>();
        job->begin = begin;
        job->end = end;
        job->keep_output = keep_output_;
        if (end - begin < 128)
            return job;  // too short for a block: an empty stream, which fails
        job->crc = static_cast<std::uint32_t>(bits_at(begin + 48, 32));
        auto& s = job->stream;
        const std::uint64_t bits = end - begin;
        s.reserve(static_cast<std::size_t>(4 + bits / 8 + 12));
        s.push_back('B');
        s.push_back('Z');
        s.push_back('h');
        s.push_back(static_cast<unsigned char>('0' + level_));
        const std::size_t whole = static_cast<std::size_t>(bits / 8);
        const unsigned char* src = buffer_.data() + (begin / 8 - base_);
        const unsigned shift = static_cast<unsigned>(begin % 8);
        if (shift == 0) {
            s.insert(s.end(), src, src + whole);
        } else {
            for (std::size_t i = 0; i < whole; ++i)
                s.push_back(static_cast<unsigned char>((src[i] << shift) | (src[i + 1] >> (8 - shift))));
        }
        bit_writer w(s);
        const int rest = static_cast<int>(bits % 8);
        if (rest > 0)
            w.put(bits_at(begin + whole * 8, rest), rest);
        w.put(end_magic >> 32, 16);
        w.put(end_magic & 0xFFFFFFFFu, 32);
        w.put(job->crc, 32);
        w.flush();
        return job;
    }

    std::size_t jobs_in_flight() const
    {
        return static_cast<std::size_t>(
            std::count_if(jobs_.begin(), jobs_.end(), [](const auto& j) { return j != nullptr; }));
    }

    // Reads on and submits jobs for the spans found, keeping at most
    // max_ahead_ jobs and the head's job among them.
    void fill()
    {
        for (;;) {
            std::size_t in_flight = jobs_in_flight();
            for (std::size_t i = 0; i + 1 < candidates_.size() && in_flight < max_ahead_; ++i) {
                if (jobs_[i] || candidates_[i].end || candidates_[i + 1].bit - candidates_[i].bit > max_span_)
                    continue;
                jobs_[i] = make_job(candidates_[i].bit, candidates_[i + 1].bit);
                pool_.submit(jobs_[i]);
                ++in_flight;
            }
            if (candidates_.size() >= 2 && in_flight >= max_ahead_)
                return;
            if (scanned_bits() > candidates_.back().bit + max_span_ || !read_more())
                return;
        }
    }

    // The head's span failed: its end candidate is no boundary, or the block
    // is damaged. Tries the head's start with each later candidate in reach,
    // here on this thread. On success `next` is the index of the candidate
    // where the block ended.
    std::shared_ptr<block_job> merged(std::size_t& next)
    {
        const std::uint64_t begin = candidates_.front().bit;
        for (std::size_t m = 2;; ++m) {
            while (candidates_.size() <= m && scanned_bits() <= begin + max_span_ && read_more()) { }
            if (candidates_.size() <= m || candidates_[m].bit - begin > max_span_)
                return nullptr;
            auto job = make_job(begin, candidates_[m].bit);
            job->decode(memory_);
            if (job->result != span_result::failed) {
                next = m;
                return job;
            }
        }
    }

    bool hand_on(const block_job& job)
    {
        if (!keep_output_)
            return true;
        if (job.result == span_result::decoded) {
            std::size_t left = job.size;
            for (const auto& piece : job.pieces) {
                const std::size_t n = std::min(left, piece_size);
                if (!out_.put(piece.get(), n))
                    return false;
                left -= n;
            }
            return true;
        }
        // Verified already: decoding it again gives the same bytes.
        bool stopped = false;
        const span_result again =
            decode_stream(job.stream, memory_, [this, &stopped](const char* bytes, std::size_t count) {
                stopped = !out_.put(bytes, count);
                return !stopped;
            });
        if (!stopped && again != span_result::decoded)
            throw_compress_error(compress_errc::unexpected);
        return !stopped;
    }

    // Forgets the candidates before `next` (their jobs are no longer needed)
    // and the input before the new head.
    void drop_front(std::size_t next)
    {
        for (std::size_t i = 0; i < next; ++i) {
            if (jobs_.front())
                jobs_.front()->cancelled = true;
            candidates_.pop_front();
            jobs_.pop_front();
        }
        const std::uint64_t keep_from = candidates_.front().bit / 8;
        if (keep_from - base_ >= 1024 * 1024) {
            const std::size_t n = static_cast<std::size_t>(keep_from - base_);
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
            base_ += n;
        }
    }

    // The head is the end of the stream: its combined CRC must match the
    // blocks' and nothing may follow it.
    bool finish()
    {
        const std::uint64_t end = candidates_.front().bit;
        while (scanned_bits() < end + 80 && read_more()) { }
        if (scanned_bits() < end + 80)
            return false;
        if (bits_at(end + 48, 32) != combined_crc_)
            return false;
        if (base_ + buffer_.size() != (end + 80 + 7) / 8 || read_more())
            return false;
        out_.finish();
        return true;
    }

    std::streambuf& in_;
    std::uint64_t& compressed_read_;
    chunker& out_;
    const bool keep_output_;
    std::vector<std::uint64_t> extra_;
    std::size_t next_extra_ = 0;
    bzip2_decoding_report* report_;
    const std::size_t max_ahead_;

    std::vector<unsigned char> buffer_;  // the input from byte base_ on
    std::uint64_t base_ = 0;
    bool input_ended_ = false;
    std::uint64_t register_ = 0;
    unsigned char filter_[256] = {};
    int level_ = 9;
    std::uint64_t max_span_ = 0;

    std::deque<candidate> candidates_;  // the first one is the next block's start
    std::deque<std::shared_ptr<block_job>> jobs_;  // the span from candidates_[i] to [i + 1]
    std::uint32_t combined_crc_ = 0;

    decoder_memory memory_;  // for the blocks decoded on this thread
    decode_pool pool_;  // last: its threads stop before anything above goes
};

}  // namespace

unsigned decoding_threads(unsigned requested) noexcept
{
    unsigned n = requested != 0 ? requested : std::thread::hardware_concurrency();
    return std::clamp(n, 1u, 8u);
}

void decode_bzip2_sequential(
    std::streambuf& in, std::uint64_t& compressed_read, const decoded_sink& sink, std::uint64_t skip)
{
    if (std::char_traits<char>::eq_int_type(in.sgetc(), std::char_traits<char>::eof()))
        return;
    boost::iostreams::bzip2_decompressor decompressor(false, filter_block_size);
    counting_source source {&in, &compressed_read};
    char block[filter_block_size];
    for (;;) {
        // A bzip2 error counts as one only when the decompression itself
        // left no run-time library error behind.
        clear_crt_error();
        std::streamsize n = decompressor.read(source, block, filter_block_size);
        if (n < 0)
            break;
        const char* bytes = block;
        if (skip > 0) {
            const auto skipped =
                static_cast<std::streamsize>(std::min<std::uint64_t>(skip, static_cast<std::uint64_t>(n)));
            bytes += skipped;
            n -= skipped;
            skip -= static_cast<std::uint64_t>(skipped);
            if (n == 0)
                continue;
        }
        if (sink && !sink(bytes, static_cast<std::size_t>(n)))
            break;
    }
    decompressor.close(source, std::ios_base::in);
}

void decode_bzip2(
    std::streambuf& in, std::uint64_t& compressed_read, const decoded_sink& sink, const bzip2_decoding& options)
{
    const unsigned threads = decoding_threads(options.threads);
    const auto start = in.pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    if (threads <= 1 || start == std::streampos(std::streamoff(-1))) {
        if (options.report != nullptr)
            options.report->stream_filter = true;
        return decode_bzip2_sequential(in, compressed_read, options.keep_output ? sink : decoded_sink {});
    }
    if (std::char_traits<char>::eq_int_type(in.sgetc(), std::char_traits<char>::eof()))
        return;

    const bool keep_output = options.keep_output && sink;
    const decoded_sink discard = [](const char*, std::size_t) { return true; };
    chunker out(keep_output ? sink : discard);
    std::uint64_t read = 0;
    bool done = false;
    {
        std::unique_ptr<parallel_run> run;
        try {
            bzip2_decoding own = options;
            own.keep_output = keep_output;
            run = std::make_unique<parallel_run>(in, read, out, own, threads);
        } catch (const std::system_error&) {
            // No thread could be started: the filter does it alone.
        }
        if (run)
            done = run->run();
    }
    if (done) {
        compressed_read += read;
        return;
    }
    // Uncertain: the stream filter decodes from the start and goes on after
    // the bytes already handed on.
    if (options.report != nullptr)
        options.report->stream_filter = true;
    if (in.pubseekpos(start, std::ios_base::in) != start)
        throw_compress_error(compress_errc::unexpected);
    decode_bzip2_sequential(in, compressed_read, keep_output ? sink : decoded_sink {}, out.handed_on());
}

}  // namespace av
