// The loops of the wide vector paths (AVX2, AVX-512), written once. Each
// path's file includes this inside its own namespace, after defining
// TAV_TARGET (its target attribute) and a Chunk type for 64 bytes of text:
//   static Chunk at(const char* p);        loads the 64 bytes at p
//   std::uint64_t lf() const, cr() const, ctrl_z() const;
//                                          one bit per byte that is one
//   static void copy(char* to, const char* from);   copies 64 bytes
//   char* expand(char* o, std::uint64_t mask) const;
//       writes the 64 bytes at o with a CR before each byte whose bit is
//       set; returns the end; may write up to 128 bytes past o and read up
//       to kExpandReads bytes from the chunk's start
//   static constexpr std::ptrdiff_t kExpandReads;
// Only functions marked TAV_TARGET use the path's instructions, so the rest
// of the program still runs on any x86-64 processor.
// No include guard: each path includes it once, into its own namespace.

constexpr std::ptrdiff_t kChunk = 64;

TAV_TARGET inline std::size_t ones(std::uint64_t m) { return static_cast<std::size_t>(_mm_popcnt_u64(m)); }

TAV_TARGET const char* scan(const char* begin, const char* end, bool stop_at_ctrl_z, Census& census) {
    std::size_t lfs = 0, pairs = 0;
    std::uint64_t cr_carry = 0;  // 1 when the byte before the chunk is a CR
    const char* p = begin;
    for (; end - p >= kChunk; p += kChunk) {
        const Chunk chunk = Chunk::at(p);
        std::uint64_t lf = chunk.lf();
        const std::uint64_t cr = chunk.cr();
        if (stop_at_ctrl_z) {
            if (const std::uint64_t ctrl_z = chunk.ctrl_z()) {
                lf &= _blsmsk_u64(ctrl_z) >> 1;  // only what lies before the first 0x1A
                census = {lfs + ones(lf), pairs + ones(lf & (cr << 1 | cr_carry))};
                return p + _tzcnt_u64(ctrl_z);
            }
        }
        lfs += ones(lf);
        pairs += ones(lf & (cr << 1 | cr_carry));
        cr_carry = cr >> 63;
    }
    census = {lfs, pairs};
    return scan_bytes(p, end, stop_at_ctrl_z, cr_carry != 0, census);
}

TAV_TARGET const char* find_bare_lf(const char* begin, const char* end, bool cr_before) {
    std::uint64_t cr_carry = cr_before ? 1 : 0;
    const char* p = begin;
    for (; end - p >= kChunk; p += kChunk) {
        const Chunk chunk = Chunk::at(p);
        const std::uint64_t cr = chunk.cr();
        if (const std::uint64_t bare = chunk.lf() & ~(cr << 1 | cr_carry)) return p + _tzcnt_u64(bare);
        cr_carry = cr >> 63;
    }
    return find_bare_lf_bytes(p, end, cr_carry != 0);
}

TAV_TARGET void copy_bytes(char* to, const char* from, std::size_t size) {
    for (; size >= kChunk; size -= kChunk, to += kChunk, from += kChunk) Chunk::copy(to, from);
    std::memcpy(to, from, size);
}

// 64 bytes at a time; writes up to 128 bytes beyond `o`, hence the output
// slack.
TAV_TARGET void copy_expanding(const char*& in, const char* in_end, char*& out, const char* out_stop,
                               bool keep_pairs, bool cr_before) {
    const char* p = in;
    char* o = out;
    std::uint64_t cr_carry = cr_before ? 1 : 0;
    while (in_end - p >= Chunk::kExpandReads && o < out_stop) {
        const Chunk chunk = Chunk::at(p);
        std::uint64_t expand = chunk.lf();
        if (keep_pairs) {
            const std::uint64_t cr = chunk.cr();
            expand &= ~(cr << 1 | cr_carry);
            cr_carry = cr >> 63;
        }
        o = chunk.expand(o, expand);
        p += kChunk;
    }
    in = p;
    out = o;
    copy_expanding_bytes(in, in_end, out, out_stop, keep_pairs, cr_carry != 0);
}
