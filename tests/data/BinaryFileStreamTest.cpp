#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "data/BinaryFileStream.h"
#include "support/WriteLimit.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A container whose payload is a plain byte string.
class TBytesStream : public TBaseBinaryFileStream {
public:
    explicit TBytesStream(Bytes payload = {}, uint32_t version = 1, uint32_t id = MakeFileHeaderID("TST "))
        : TBaseBinaryFileStream(id, version), payload(std::move(payload))
    {}
    Bytes payload;
    std::vector<uint32_t> upgrades;
    size_t readShort = 0; // bytes the reader leaves unread
    void SetCompression(TCompression kind) { CompressionKind = kind; }
    void SetCompressedImage(Bytes bytes)
    {
        Data = TMemoryStream(std::move(bytes));
        Compressed = true;
    }

protected:
    void UpgradeFrom(uint32_t storedVersion) override { upgrades.push_back(storedVersion); }
    void WritePayload() override { Data.Write(payload.data(), payload.size()); }
    void ReadPayload() override
    {
        payload.resize(Data.Remaining() - readShort);
        Data.Read(payload.data(), payload.size());
    }
};

// A container that nests two others after a marker word.
class TParentStream : public TBaseBinaryFileStream {
public:
    TParentStream() : TBaseBinaryFileStream(MakeFileHeaderID("PAR "), 0) {}
    TBytesStream* first = nullptr;
    TBytesStream* second = nullptr;

protected:
    void WritePayload() override
    {
        Data.WriteU32(0xCAFE);
        AppendSubStream(*first);
        AppendSubStream(*second);
    }
    void ReadPayload() override
    {
        EXPECT_EQ(Data.ReadU32(), 0xCAFEu);
        ExtractSubStream(*first);
        ExtractSubStream(*second);
    }
};

// The base class with none of its virtuals overridden.
class TBareStream : public TBaseBinaryFileStream {
public:
    TBareStream() : TBaseBinaryFileStream(MakeFileHeaderID("BAR "), 0) {}
};

std::string TmpPath(const std::string& name)
{
    const char* dir = std::getenv("JUX_TEST_TMP");
    std::string d = dir ? dir : "/tmp";
    std::system(("mkdir -p '" + d + "'").c_str());
    return d + "/" + name;
}

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

uint32_t Le32(const Bytes& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

Bytes ImageOf(const Bytes& payload, uint32_t version = 1)
{
    TBytesStream s(payload, version);
    s.ExportData();
    return s.Stream().Bytes();
}

Bytes Deflate(const Bytes& in)
{
    uLongf n = compressBound(in.size());
    Bytes out(n);
    EXPECT_EQ(compress2(out.data(), &n, in.data(), in.size(), 9), Z_OK);
    out.resize(n);
    return out;
}

void ImportImage(TBaseBinaryFileStream& s, Bytes image)
{
    s.Stream() = TMemoryStream(std::move(image));
    s.ImportData();
}

} // namespace

TEST(BinaryFileStream, ChecksumOfPartialLastWordKeepsHighBytesOfPrevious)
{
    // 13 bytes: three full words, then byte 13 over the third word's upper bytes.
    Bytes p = {1, 0, 0, 0, 2, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 0x05};
    const uint32_t expected = 1u + 2u + 0x40302010u + 0x40302005u;
    EXPECT_EQ(WordChecksum(p.data(), p.size()), expected);
    const Bytes image = ImageOf(p);
    EXPECT_EQ(Le32(image, 8), expected);

    // Shorter than one word: the bytes zero-extended.
    const Bytes shortPayload = {0xAA, 0xBB};
    EXPECT_EQ(WordChecksum(shortPayload.data(), 2), 0xBBAAu);
    EXPECT_EQ(WordChecksum(nullptr, 0), 0u);
    // Wrapping sum.
    const Bytes big = {0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0};
    EXPECT_EQ(WordChecksum(big.data(), big.size()), 1u);
}

TEST(BinaryFileStream, ExportWritesHeaderThenPayload)
{
    const Bytes image = ImageOf({9, 8, 7, 6, 5}, 3);
    ASSERT_EQ(image.size(), 17u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "TST ");
    EXPECT_EQ(Le32(image, 4), 3u);
    EXPECT_EQ(Bytes(image.begin() + 12, image.end()), (Bytes{9, 8, 7, 6, 5}));
    EXPECT_EQ(MakeFileHeaderID("WRD "), 0x20445257u);
}

TEST(BinaryFileStream, FileRoundTripUsesZlibLevelNine)
{
    Bytes payload(10000);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i * 7 % 13);
    const std::string path = TmpPath("roundtrip.bin");
    TBytesStream out(payload);
    out.SaveToFile(path);
    EXPECT_TRUE(out.IsCompressed());
    EXPECT_EQ(out.TransferDone(), 2);

    std::vector<uint8_t> file;
    std::string err;
    ASSERT_TRUE(ReadWholeFile(path, file, err));
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(file[0], 0x78); // zlib, 32 KB window
    EXPECT_EQ(file[1], 0xDA); // maximum compression
    EXPECT_LT(file.size(), payload.size());
    // The same bytes a plain zlib level 9 compression gives.
    EXPECT_EQ(file, Deflate(ImageOf(payload)));

    TBytesStream in;
    in.LoadFromFile(path);
    EXPECT_EQ(in.payload, payload);
    EXPECT_FALSE(in.IsCompressed());
    EXPECT_EQ(in.TransferDone(), 1);
    EXPECT_TRUE(in.upgrades.empty());
}

// An image deflated piece by piece, to tell the caller how far it is, is the
// same stream one deflate call makes; the progress rises to 1 in steps.
TEST(BinaryFileStream, LargeSaveReportsProgressAndWritesTheSameStream)
{
    std::mt19937 rng(9);
    Bytes payload(size_t(5) << 20);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i % 97 < 60 ? i % 13 : rng() % 50);
    const std::string path = TmpPath("large.bin");
    std::vector<double> seen;
    TBytesStream out(payload);
    out.SaveToFile(path, [&](double done) { seen.push_back(done); });

    std::vector<uint8_t> file;
    std::string err;
    ASSERT_TRUE(ReadWholeFile(path, file, err));
    EXPECT_EQ(file, Deflate(ImageOf(payload)));
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(seen.front(), 0);
    EXPECT_EQ(seen.back(), 1);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_GE(seen[i] - seen[i - 1], 0.01) << i;

    // A write that fails never reports the end.
    seen.clear();
    TBytesStream failing(Bytes{1, 2, 3});
    EXPECT_THROW(failing.SaveToFile(TmpPath("no-such-dir/x.bin"), [&](double done) { seen.push_back(done); }),
                 EStreamError);
    EXPECT_TRUE(seen.empty() || seen.back() < 1);
}

// Without the search for repeats the file is still one zlib stream that any
// reader inflates to the same image, and the container reads it back.
TEST(BinaryFileStream, EntropyOnlyCompressionIsAPlainZlibStream)
{
    std::mt19937 rng(5);
    Bytes payload(50000);
    for (uint8_t& b : payload)
        b = static_cast<uint8_t>(1 + rng() % 49);
    const std::string path = TmpPath("entropy.bin");
    TBytesStream out(payload);
    EXPECT_EQ(out.Compression(), TCompression::Best);
    out.SetCompression(TCompression::EntropyOnly);
    out.SaveToFile(path);

    std::vector<uint8_t> file;
    std::string err;
    ASSERT_TRUE(ReadWholeFile(path, file, err));
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(file[0], 0x78);
    EXPECT_EQ(file[1], 0x01); // the fastest-compression flag
    EXPECT_LT(file.size(), payload.size());
    Bytes image(payload.size() + 64);
    uLongf n = image.size();
    ASSERT_EQ(uncompress(image.data(), &n, file.data(), file.size()), Z_OK);
    image.resize(n);
    EXPECT_EQ(image, ImageOf(payload));

    TBytesStream in;
    in.LoadFromFile(path);
    EXPECT_EQ(in.payload, payload);
}

TEST(BinaryFileStream, VersionsUpgradeOrRefuse)
{
    {
        TBytesStream s({1, 2, 3}, 2);
        ImportImage(s, ImageOf({1, 2, 3}, 2));
        EXPECT_TRUE(s.upgrades.empty());
    }
    {
        TBytesStream s({}, 2);
        ImportImage(s, ImageOf({4, 5, 6, 7}, 0));
        EXPECT_EQ(s.upgrades, (std::vector<uint32_t>{0}));
        EXPECT_EQ(s.payload, (Bytes{4, 5, 6, 7}));
    }
    {
        TBytesStream s({}, 1);
        EXPECT_EQ(ErrorOf([&] { ImportImage(s, ImageOf({1}, 2)); }),
                  "The file has been saved with a newer program version. Unable to access it.");
    }
}

TEST(BinaryFileStream, ImportRefusesForeignOrDamagedImages)
{
    TBytesStream other({1, 2, 3, 4}, 1, MakeFileHeaderID("XYZ "));
    other.ExportData();
    TBytesStream a;
    EXPECT_EQ(ErrorOf([&] { ImportImage(a, other.Stream().Bytes()); }),
              "[TBaseBinaryFileStream]: File header ID mismatch");

    Bytes damaged = ImageOf({1, 2, 3, 4, 5, 6});
    damaged[14] ^= 0x01;
    TBytesStream b;
    EXPECT_EQ(ErrorOf([&] { ImportImage(b, damaged); }), "[TBaseBinaryFileStream]: Checksum mismatch");

    TBytesStream c;
    c.readShort = 1;
    EXPECT_EQ(ErrorOf([&] {
                  ImportImage(c, ImageOf({1, 2, 3}));
              }),
              "INTERNAL ERROR [TBaseBinaryFileStream]: ImportData mismatch size.");

    for (size_t n : {0, 1, 4, 11}) {
        TBytesStream d;
        Bytes image = ImageOf({});
        image.resize(n);
        EXPECT_FALSE(ErrorOf([&] { ImportImage(d, image); }).empty()) << n;
    }
}

TEST(BinaryFileStream, EachObjectTransfersOnce)
{
    const struct {
        const char* name;
        std::function<void(TBytesStream&)> first, second;
        const char* message;
    } cases[] = {
        {"export twice", [](TBytesStream& s) { s.ExportData(); }, [](TBytesStream& s) { s.ExportData(); },
         "INTERNAL ERROR [TBaseBinaryFileStream]: ExportData call with already BFIO performed"},
        {"import after export", [](TBytesStream& s) { s.ExportData(); }, [](TBytesStream& s) { s.ImportData(); },
         "INTERNAL ERROR [TBaseBinaryFileStream]: ImportData call with already BFIO performed"},
        {"import twice", [](TBytesStream& s) { ImportImage(s, ImageOf({1})); }, [](TBytesStream& s) { s.ImportData(); },
         "INTERNAL ERROR [TBaseBinaryFileStream]: ImportData call with already BFIO performed"},
        {"export compressed", [](TBytesStream& s) { s.Compress(); }, [](TBytesStream& s) { s.ExportData(); },
         "INTERNAL ERROR [TBaseBinaryFileStream]: ExportData call with compressed stream"},
        {"import compressed", [](TBytesStream& s) { s.Compress(); }, [](TBytesStream& s) { s.ImportData(); },
         "INTERNAL ERROR [TBaseBinaryFileStream]: ImportData call with compressed stream"},
        {"checksum compressed", [](TBytesStream& s) { s.Compress(); }, [](TBytesStream& s) { s.CheckCRC(); },
         "INTERNAL ERROR [TBaseBinaryFileStream]: CheckCRC call with compressed stream"},
        {"extract from compressed", [](TBytesStream& s) { s.Compress(); },
         [](TBytesStream& s) {
             TBytesStream child;
             s.ExtractSubStream(child);
         },
         "INTERNAL ERROR [TBaseBinaryFileStream]: ExtractSubStream call with compressed stream."},
        {"append compressed child", [](TBytesStream&) {},
         [](TBytesStream& s) {
             TBytesStream child;
             child.Compress();
             s.AppendSubStream(child);
         },
         "INTERNAL ERROR [TBaseBinaryFileStream]: AppendSubStream call with compressed stream."},
    };
    for (const auto& c : cases) {
        TBytesStream s({1, 2, 3, 4});
        c.first(s);
        EXPECT_EQ(ErrorOf([&] { c.second(s); }), c.message) << c.name;
    }
}

TEST(BinaryFileStream, BaseOperationsReportMissingOverrides)
{
    EXPECT_EQ(ErrorOf([] { TBytesStream s({}, 0, 0); }),
              "INTERNAL ERROR [TBaseBinaryFileStream]: Invalid FileHeaderID");
    TBareStream w;
    EXPECT_EQ(ErrorOf([&] { w.ExportData(); }),
              "INTERNAL ERROR [TBaseBinaryFileStream]: No ExportData function defined");
    Bytes image = {'B', 'A', 'R', ' ', 0, 0, 0, 0, 0, 0, 0, 0};
    TBareStream r;
    EXPECT_EQ(ErrorOf([&] { ImportImage(r, image); }),
              "INTERNAL ERROR [TBaseBinaryFileStream]: No ImportData function defined");
    class TV1 : public TBaseBinaryFileStream {
    public:
        TV1() : TBaseBinaryFileStream(MakeFileHeaderID("BAR "), 1) {}
    } v1;
    EXPECT_EQ(ErrorOf([&] { ImportImage(v1, image); }),
              "INTERNAL ERROR [TBaseBinaryFileStream]: No versioning upgrade function defined");
}

TEST(BinaryFileStream, SubStreamsNestInOrder)
{
    TBytesStream a({1, 2, 3}), b({4, 5, 6, 7, 8});
    TParentStream out;
    out.first = &a;
    out.second = &b;
    const std::string path = TmpPath("nested.bin");
    out.SaveToFile(path);

    TBytesStream a2, b2;
    TParentStream in;
    in.first = &a2;
    in.second = &b2;
    in.LoadFromFile(path);
    EXPECT_EQ(a2.payload, a.payload);
    EXPECT_EQ(b2.payload, b.payload);
    EXPECT_EQ(a2.TransferDone(), 1);
}

TEST(BinaryFileStream, SubStreamLongerThanDataIsRefused)
{
    for (uint32_t announced : {100u, 0xFFFFFFFFu}) {
        TBytesStream parent;
        parent.Stream().WriteU32(announced);
        parent.Stream().Write("TST ", 4);
        parent.Stream().Seek(0);
        TBytesStream child;
        EXPECT_EQ(ErrorOf([&] { parent.ExtractSubStream(child); }),
                  "[TBaseBinaryFileStream]: Sub-stream size exceeds the data present.");
        EXPECT_EQ(child.TransferDone(), 0);
    }
}

TEST(BinaryFileStream, DamagedCompressedDataFailsInDecompression)
{
    const std::string path = TmpPath("damaged.bin");
    std::string err;
    const Bytes good = Deflate(ImageOf({1, 2, 3, 4, 5, 6, 7, 8}));
    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"empty", {}},
        {"one byte", {0x78}},
        {"plain image", ImageOf({1, 2, 3})},
        {"truncated", Bytes(good.begin(), good.end() - 5)},
        {"bad adler",
         [&] {
             Bytes b = good;
             b.back() ^= 0xFF;
             return b;
         }()},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteWholeFile(path, c.file, err));
        TBytesStream s;
        try {
            s.LoadFromFile(path);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const EZDecompressionError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Decompression error: ", 0), 0u) << c.name;
        }
        EXPECT_EQ(s.TransferDone(), 0) << c.name; // failed before any header check
    }
    TBytesStream missing;
    EXPECT_THROW(missing.LoadFromFile(TmpPath("no-such-file.bin")), EStreamError);
}

TEST(BinaryFileStream, FailedSaveKeepsThePreviousFile)
{
    const std::string path = TmpPath("kept.bin");
    TBytesStream first(Bytes{1, 2, 3});
    first.SaveToFile(path);
    Bytes before, after;
    std::string err;
    ASSERT_TRUE(ReadWholeFile(path, before, err));

    // Random bytes do not compress: the new file is far above the limit.
    std::mt19937 rng(7);
    Bytes big(64 << 10);
    for (auto& b : big)
        b = static_cast<uint8_t>(rng());
    TBytesStream second(big);
    {
        TWriteLimit limit(4096);
        ASSERT_TRUE(limit.Active());
        EXPECT_THROW(second.SaveToFile(path), EStreamError);
    }
    ASSERT_TRUE(ReadWholeFile(path, after, err));
    EXPECT_EQ(after, before);
    TBytesStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.payload, (Bytes{1, 2, 3}));
}

TEST(BinaryFileStream, InflationIsBounded)
{
    EXPECT_EQ(TBaseBinaryFileStream::InflateLimitFor(10), TBaseBinaryFileStream::kMinImageLimit);
    EXPECT_EQ(TBaseBinaryFileStream::InflateLimitFor(10000), 10000 * TBaseBinaryFileStream::kMaxInflateRatio);
    EXPECT_EQ(TBaseBinaryFileStream::InflateLimitFor(size_t(100) << 20), TBaseBinaryFileStream::kMaxImageBytes);

    // 32 MB of zeros deflate to about 32 KB: far beyond the allowed ratio.
    const Bytes bomb = Deflate(Bytes(size_t(32) << 20, 0));
    ASSERT_LT(bomb.size() * TBaseBinaryFileStream::kMaxInflateRatio, size_t(32) << 20);
    TBytesStream s;
    s.SetCompressedImage(bomb);
    const std::string msg = ErrorOf([&] { s.Decompress(); });
    EXPECT_NE(msg.find("inflated data exceeds"), std::string::npos) << msg;
}

TEST(BinaryFileStream, RandomBytesNeverCrashTheReader)
{
    std::mt19937 rng(20240611);
    const Bytes valid = ImageOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    const Bytes packed = Deflate(valid);
    int accepted = 0;
    for (int i = 0; i < 3000; ++i) {
        Bytes b = (i % 2) ? valid : packed;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits && !b.empty(); ++e) {
            switch (rng() % 3) {
            case 0: b[rng() % b.size()] = static_cast<uint8_t>(rng()); break;
            case 1: b.resize(rng() % b.size()); break;
            default: b.insert(b.begin() + rng() % b.size(), static_cast<uint8_t>(rng())); break;
            }
        }
        TBytesStream s;
        s.Stream() = TMemoryStream(b);
        try {
            if (i % 2 == 0) {
                s.SetCompressedImage(b);
                s.Decompress();
                s.ImportData();
            } else {
                s.ImportData();
            }
            ++accepted;
        } catch (const Exception&) {
        }
    }
    EXPECT_LT(accepted, 3000); // damage is noticed
}
