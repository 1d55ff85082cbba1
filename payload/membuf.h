// Memory streams of the payload: a stream buffer over a contiguous range of
// characters, read-only over an external range (the locked payload resource,
// never copied) or read/write over storage of its own that grows as it is
// written (the archive header while it streams in).
#pragma once

#include <algorithm>
#include <cstddef>
#include <istream>
#include <streambuf>
#include <vector>

namespace av {

template <class CharT, class Traits = std::char_traits<CharT>>
class basic_membuf : public std::basic_streambuf<CharT, Traits> {
    using base = std::basic_streambuf<CharT, Traits>;

public:
    using char_type = CharT;
    using traits_type = Traits;
    using int_type = typename Traits::int_type;
    using pos_type = typename Traits::pos_type;
    using off_type = typename Traits::off_type;

    // Read/write mode over its own storage, empty at first.
    basic_membuf()
        : writable_(true)
    {
    }

    // Read-only mode over [data, data + size); the range must outlive the
    // buffer. A null range is an empty buffer.
    basic_membuf(const CharT* data, std::size_t size)
        : writable_(false)
    {
        CharT* begin = const_cast<CharT*>(data);  // never written through: no put area
        this->setg(begin, begin, begin + (data != nullptr ? size : 0));
    }

    basic_membuf(const basic_membuf&) = delete;
    basic_membuf& operator=(const basic_membuf&) = delete;

    bool writable() const noexcept { return writable_; }

    // The whole content (not only what is still unread).
    const CharT* data() const noexcept { return this->eback(); }
    std::size_t size() const noexcept
    {
        return writable_ ? high_water() : static_cast<std::size_t>(this->egptr() - this->eback());
    }

protected:
    int_type underflow() override
    {
        if (writable_)
            sync_get_end();
        if (this->gptr() < this->egptr())
            return Traits::to_int_type(*this->gptr());
        return Traits::eof();
    }

    int_type overflow(int_type c) override
    {
        if (!writable_)
            return Traits::eof();
        if (Traits::eq_int_type(c, Traits::eof()))
            return Traits::not_eof(c);
        if (this->pptr() == this->epptr())
            grow(storage_.size() + 1);
        *this->pptr() = Traits::to_char_type(c);
        this->pbump(1);
        return c;
    }

    std::streamsize xsputn(const CharT* s, std::streamsize n) override
    {
        if (!writable_ || n <= 0)
            return 0;
        const auto count = static_cast<std::size_t>(n);
        if (static_cast<std::size_t>(this->epptr() - this->pptr()) < count)
            grow(static_cast<std::size_t>(this->pptr() - this->pbase()) + count);
        Traits::copy(this->pptr(), s, count);
        advance_put(count);
        return n;
    }

    std::streamsize showmanyc() override
    {
        if (writable_)
            sync_get_end();
        const auto left = this->egptr() - this->gptr();
        return left > 0 ? left : -1;
    }

    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override
    {
        const bool in = (which & std::ios_base::in) != 0;
        const bool out = (which & std::ios_base::out) != 0;
        if ((!in && !out) || (out && !writable_) || (in && out && dir == std::ios_base::cur))
            return pos_type(off_type(-1));
        if (writable_)
            sync_get_end();
        const off_type end = static_cast<off_type>(size());
        off_type origin = 0;
        if (dir == std::ios_base::cur)
            origin = in ? this->gptr() - this->eback() : this->pptr() - this->pbase();
        else if (dir == std::ios_base::end)
            origin = end;
        // Overflow-safe form of 0 <= origin + off <= end.
        if (off < -origin || off > end - origin)
            return pos_type(off_type(-1));
        const off_type target = origin + off;
        if (in)
            this->setg(this->eback(), this->eback() + target, this->egptr());
        if (out) {
            // The put pointer may move back; what was written stays readable
            // up to the high-water mark.
            this->setp(this->pbase(), this->epptr());
            advance_put(static_cast<std::size_t>(target));
        }
        return pos_type(target);
    }

    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override
    {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }

private:
    std::size_t high_water() const noexcept
    {
        const auto put = static_cast<std::size_t>(this->pptr() - this->pbase());
        return std::max(high_, put);
    }

    // Makes everything written so far readable.
    void sync_get_end()
    {
        high_ = high_water();
        CharT* begin = storage_.data();
        const auto get = this->gptr() - this->eback();
        this->setg(begin, begin + get, begin + high_);
    }

    void advance_put(std::size_t count)
    {
        // pbump takes an int; large advances go in steps.
        while (count > 0) {
            const std::size_t step = std::min<std::size_t>(count, 0x40000000u);
            this->pbump(static_cast<int>(step));
            count -= step;
        }
        high_ = high_water();
    }

    // Grows the storage to hold at least `needed` characters, keeping the
    // positions of the get and put pointers.
    void grow(std::size_t needed)
    {
        const auto get = this->gptr() - this->eback();
        const auto put = static_cast<std::size_t>(this->pptr() - this->pbase());
        high_ = high_water();
        std::size_t capacity = std::max<std::size_t>(storage_.size(), 64);
        while (capacity < needed)
            capacity += capacity / 2;
        storage_.resize(capacity);
        CharT* begin = storage_.data();
        this->setp(begin, begin + storage_.size());
        advance_put(put);
        this->setg(begin, begin + get, begin + high_);
    }

    std::vector<CharT> storage_;
    std::size_t high_ = 0;
    bool writable_;
};

namespace details {
// Holds the buffer so that it is built before the stream base that uses it.
template <class CharT, class Traits>
struct membuf_holder {
    template <class... Args>
    explicit membuf_holder(Args&&... args)
        : buffer_(std::forward<Args>(args)...)
    {
    }
    basic_membuf<CharT, Traits> buffer_;
};
}  // namespace details

// A seekable input stream over an external range, read in place.
template <class CharT, class Traits = std::char_traits<CharT>>
class basic_imemstream : private details::membuf_holder<CharT, Traits>, public std::basic_istream<CharT, Traits> {
    using holder = details::membuf_holder<CharT, Traits>;

public:
    basic_imemstream()
        : basic_imemstream(nullptr, 0)
    {
    }
    basic_imemstream(const CharT* data, std::size_t size)
        : holder(data, size)
        , std::basic_istream<CharT, Traits>(&this->buffer_)
    {
    }
    basic_membuf<CharT, Traits>* rdbuf() const noexcept
    {
        return const_cast<basic_membuf<CharT, Traits>*>(&this->buffer_);
    }
};

// An input/output stream over growable storage of its own.
template <class CharT, class Traits = std::char_traits<CharT>>
class basic_memstream : private details::membuf_holder<CharT, Traits>, public std::basic_iostream<CharT, Traits> {
    using holder = details::membuf_holder<CharT, Traits>;

public:
    basic_memstream()
        : holder()
        , std::basic_iostream<CharT, Traits>(&this->buffer_)
    {
    }
    basic_membuf<CharT, Traits>* rdbuf() const noexcept
    {
        return const_cast<basic_membuf<CharT, Traits>*>(&this->buffer_);
    }
};

using membuf = basic_membuf<char>;
using imemstream = basic_imemstream<char>;
using memstream = basic_memstream<char>;

}  // namespace av
