// CBOR codec of kv::Variant and of the socket connection's messages, on QtCore's
// CBOR stream classes. The decoder reads the stream itself rather than through
// QCborValue so that every length a peer announces is checked against the bytes
// actually present before anything is built from it.
#include "kv/Wire.h"

#include <QByteArray>
#include <QCborStreamReader>
#include <QCborStreamWriter>

#include <cstring>
#include <limits>

#include "kv/Utf8.h"

namespace kv::wire {
namespace {

[[noreturn]] void Fail(const std::string& what) { throw EWireError(what); }

// ---- encoding -------------------------------------------------------------------

class Encoder {
public:
    Encoder() : writer_(&out_) {}

    void Text(std::string_view text) {
        if (IsValidUtf8(text)) {
            writer_.appendTextString(text.data(), static_cast<qsizetype>(text.size()));
        } else {
            writer_.append(QCborTag(kTagRawText));
            writer_.appendByteString(text.data(), static_cast<qsizetype>(text.size()));
        }
    }

    void Value(const Variant& v, int depth) {
        switch (v.Type()) {
        case VarType::Empty: writer_.appendUndefined(); return;
        case VarType::Null: writer_.appendNull(); return;
        case VarType::Bool: writer_.append(v.ToBool()); return;
        case VarType::Int: writer_.append(static_cast<qint64>(v.ToInt())); return;
        case VarType::Double: writer_.append(v.ToDouble()); return;
        case VarType::Date:
            writer_.append(QCborTag(kTagDate));
            writer_.append(v.ToDouble());
            return;
        case VarType::String: Text(v.ToString()); return;
        case VarType::Bytes: {
            const std::string bytes = v.ToString();
            writer_.appendByteString(bytes.data(), static_cast<qsizetype>(bytes.size()));
            return;
        }
        case VarType::Array: Array(v, depth + 1); return;
        case VarType::Dispatch: Fail("an automation object cannot be sent over the connection");
        }
        Fail("unknown value kind");
    }

    void Values(const std::vector<Variant>& values) {
        writer_.startArray(values.size());
        for (const Variant& v : values) Value(v, 0);
        writer_.endArray();
    }

    void UInt(quint64 n) { writer_.append(n); }
    void StartArray(quint64 n) { writer_.startArray(n); }
    void EndArray() { writer_.endArray(); }

    std::string Bytes() const { return std::string(out_.constData(), static_cast<std::size_t>(out_.size())); }

private:
    void Array(const Variant& v, int depth) {
        if (depth > kMaxNesting) Fail("arrays nested more than " + std::to_string(kMaxNesting) + " deep");
        const int dims = v.DimCount();
        writer_.append(QCborTag(kTagArray));
        writer_.startArray(2);
        writer_.startArray(static_cast<quint64>(dims) * 2);
        for (int d = 1; d <= dims; ++d) {
            writer_.append(static_cast<qint64>(v.LowBound(d)));
            writer_.append(static_cast<qint64>(v.HighBound(d)));
        }
        writer_.endArray();
        const auto& elements = v.Elements();
        writer_.startArray(elements.size());
        for (const Variant& e : elements) Value(e, depth);
        writer_.endArray();
        writer_.endArray();
    }

    QByteArray out_;
    QCborStreamWriter writer_;
};

// ---- decoding -------------------------------------------------------------------

class Decoder {
public:
    Decoder(std::string_view bytes, int maxNesting)
        : data_(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()))),
          reader_(data_),
          maxNesting_(maxNesting) {}

    Variant Value(int depth) {
        Expect(reader_.type() != QCborStreamReader::Invalid, "a value");
        switch (reader_.type()) {
        case QCborStreamReader::UnsignedInteger:
        case QCborStreamReader::NegativeInteger: return Variant(Int32());
        case QCborStreamReader::Float16:
        case QCborStreamReader::Float:
        case QCborStreamReader::Double: return Variant(Float());
        case QCborStreamReader::SimpleType: {
            Variant v;
            if (reader_.isTrue()) v = Variant(true);
            else if (reader_.isFalse()) v = Variant(false);
            else if (reader_.isNull()) v = Variant::Null();
            else if (!reader_.isUndefined()) Fail("unknown simple value");
            Advance();
            return v;
        }
        case QCborStreamReader::ByteArray: return Variant::Bytes(RawString());
        case QCborStreamReader::String: return Variant(Utf8String());
        case QCborStreamReader::Tag: return Tagged(depth);
        default: Fail("unexpected CBOR item where a value was expected");
        }
    }

    std::vector<Variant> Values() {
        std::vector<Variant> out;
        const auto count = EnterArray("a list of values");
        while (reader_.hasNext()) {
            out.push_back(Value(0));
            if (count && out.size() > *count) Fail("more elements than announced");
        }
        LeaveArray();
        return out;
    }

    std::string Text() {
        if (reader_.isString()) return Utf8String();
        if (reader_.isTag()) {
            const quint64 tag = static_cast<quint64>(reader_.toTag());
            Advance();
            Expect(tag == kTagRawText && reader_.isByteArray(), "a text");
            return RawString();
        }
        Fail("a text was expected");
    }

    quint64 UInt(quint64 max) {
        Expect(reader_.isUnsignedInteger(), "an unsigned integer");
        const quint64 n = reader_.toUnsignedInteger();
        if (n > max) Fail("number out of range");
        Advance();
        return n;
    }

    // Enters an array; its announced length (when known) must fit in what is left.
    std::optional<std::size_t> EnterArray(const char* what) {
        Expect(reader_.isArray(), what);
        std::optional<std::size_t> count;
        if (reader_.isLengthKnown()) {
            const quint64 n = reader_.length();
            if (n > static_cast<quint64>(Remaining())) Fail("array longer than the input");
            count = static_cast<std::size_t>(n);
        }
        if (!reader_.enterContainer()) Fail(ReaderError());
        return count;
    }

    void ExpectArrayOf(std::size_t n, const char* what) {
        const auto count = EnterArray(what);
        if (!count || *count != n) Fail(std::string("malformed ") + what);
    }

    void LeaveArray() {
        if (reader_.hasNext()) Fail("more elements than expected");
        if (reader_.lastError() != QCborError::NoError) Fail(ReaderError());
        if (!reader_.leaveContainer()) Fail(ReaderError());
    }

    void ExpectEnd() {
        if (reader_.currentOffset() != data_.size()) Fail("trailing bytes after the value");
    }

private:
    void Expect(bool ok, const char* what) {
        if (ok) return;
        if (reader_.lastError() != QCborError::NoError) Fail(ReaderError());
        Fail(std::string(what) + " was expected");
    }

    std::string ReaderError() {
        const QCborError e = reader_.lastError();
        if (e == QCborError::EndOfFile) return "truncated input";
        return "malformed input: " + e.toString().toStdString();
    }

    qsizetype Remaining() const { return data_.size() - reader_.currentOffset(); }

    void Advance() {
        if (!reader_.next()) Fail(ReaderError());
    }

    std::int32_t Int32() {
        Expect(reader_.isInteger(), "an integer");
        qint64 value = 0;
        if (reader_.isUnsignedInteger()) {
            const quint64 n = reader_.toUnsignedInteger();
            if (n > static_cast<quint64>(std::numeric_limits<std::int32_t>::max())) Fail("integer out of range");
            value = static_cast<qint64>(n);
        } else {
            // The absolute value; 0 means it wrapped past 2^64.
            const quint64 n = static_cast<quint64>(reader_.toNegativeInteger());
            if (n == 0 || n > 0x80000000ull) Fail("integer out of range");
            value = -static_cast<qint64>(n);
        }
        Advance();
        return static_cast<std::int32_t>(value);
    }

    double Float() {
        double d = 0;
        if (reader_.isFloat16()) d = static_cast<double>(static_cast<float>(reader_.toFloat16()));
        else if (reader_.isFloat()) d = static_cast<double>(reader_.toFloat());
        else if (reader_.isDouble()) d = reader_.toDouble();
        else Fail("a floating-point number was expected");
        Advance();
        return d;
    }

    // The bytes of a text or byte string, chunk by chunk, never more than the input holds.
    std::string RawString() {
        std::string out;
        for (;;) {
            const qsizetype chunk = reader_.currentStringChunkSize();
            if (chunk < 0 || chunk > Remaining()) Fail(chunk < 0 ? ReaderError() : "string longer than the input");
            const std::size_t old = out.size();
            out.resize(old + static_cast<std::size_t>(chunk));
            const auto r = reader_.readStringChunk(out.data() + old, chunk);
            if (r.status == QCborStreamReader::Error) Fail(ReaderError());
            out.resize(old + static_cast<std::size_t>(r.data));
            if (r.status == QCborStreamReader::EndOfString) return out;
        }
    }

    std::string Utf8String() {
        std::string s = RawString();
        if (!IsValidUtf8(s)) Fail("text is not valid UTF-8");
        return s;
    }

    Variant Tagged(int depth) {
        const quint64 tag = static_cast<quint64>(reader_.toTag());
        Advance();
        switch (tag) {
        case kTagDate: {
            Expect(reader_.isFloat16() || reader_.isFloat() || reader_.isDouble(), "a date");
            return Variant::Date(Float());
        }
        case kTagRawText:
            Expect(reader_.isByteArray(), "raw text");
            return Variant(RawString());
        case kTagArray: return Array(depth + 1);
        default: Fail("unknown tag " + std::to_string(tag));
        }
    }

    Variant Array(int depth) {
        if (depth > maxNesting_) Fail("arrays nested more than " + std::to_string(maxNesting_) + " deep");
        ExpectArrayOf(2, "array");
        const auto boundsCount = EnterArray("array bounds");
        if (!boundsCount || (*boundsCount != 2 && *boundsCount != 4)) Fail("an array must have 1 or 2 dimensions");
        std::int32_t b[4] = {0, 0, 0, 0};
        for (std::size_t i = 0; i < *boundsCount; ++i) b[i] = Int32();
        LeaveArray();
        const int dims = static_cast<int>(*boundsCount / 2);
        long long expected = 1;
        for (int d = 0; d < dims; ++d) {
            const long long extent = static_cast<long long>(b[2 * d + 1]) - b[2 * d] + 1;
            if (extent < 0) Fail("array bounds out of order");
            expected *= extent;
        }
        // Elements are read before the array is made, so its size is bounded by the
        // input that is really there, not by the bounds it claims.
        std::vector<Variant> elements;
        const auto count = EnterArray("array elements");
        if (count && static_cast<long long>(*count) != expected) Fail("element count does not match the bounds");
        while (reader_.hasNext()) {
            if (static_cast<long long>(elements.size()) >= expected) Fail("element count does not match the bounds");
            elements.push_back(Value(depth));
        }
        LeaveArray();
        if (static_cast<long long>(elements.size()) != expected) Fail("element count does not match the bounds");
        LeaveArray();

        Variant v = dims == 1 ? Variant::Array(b[0], b[1]) : Variant::Array2(b[0], b[1], b[2], b[3]);
        auto& cells = v.Elements();
        for (std::size_t i = 0; i < elements.size(); ++i) cells[i] = std::move(elements[i]);
        return v;
    }

    QByteArray data_;
    QCborStreamReader reader_;
    int maxNesting_;
};

std::uint32_t ReadBigEndian32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t{u[0]} << 24) | (std::uint32_t{u[1]} << 16) | (std::uint32_t{u[2]} << 8) | std::uint32_t{u[3]};
}

std::string FrameTooLarge(std::uint64_t size, std::uint32_t max) {
    return "frame of " + std::to_string(size) + " bytes exceeds the maximum of " + std::to_string(max) + " bytes";
}

}  // namespace

// ---- values -------------------------------------------------------------------------

std::string EncodeVariant(const Variant& value) {
    Encoder e;
    e.Value(value, 0);
    return e.Bytes();
}

Variant DecodeVariant(std::string_view cbor, int maxNesting) {
    Decoder d(cbor, maxNesting);
    Variant v = d.Value(0);
    d.ExpectEnd();
    return v;
}

// ---- messages -------------------------------------------------------------------------

Message CreateMessage(std::string progId) {
    Message m;
    m.op = Op::Create;
    m.text = std::move(progId);
    return m;
}

Message InvokeMessage(std::uint32_t objectId, std::string member, InvokeKind kind, std::vector<Variant> args) {
    Message m;
    m.op = Op::Invoke;
    m.objectId = objectId;
    m.text = std::move(member);
    m.kind = kind;
    m.args = std::move(args);
    return m;
}

Message FetchRowsMessage(std::uint32_t objectId, std::string provider) {
    Message m;
    m.op = Op::FetchRows;
    m.objectId = objectId;
    m.text = std::move(provider);
    return m;
}

Message ReleaseMessage(std::uint32_t objectId) {
    Message m;
    m.op = Op::Release;
    m.objectId = objectId;
    return m;
}

Message CreatedMessage(std::uint32_t objectId) {
    Message m;
    m.op = Op::Created;
    m.objectId = objectId;
    return m;
}

Message ResultMessage(Variant result, std::vector<Variant> args) {
    Message m;
    m.op = Op::Result;
    m.value = std::move(result);
    m.args = std::move(args);
    return m;
}

Message RowsMessage(Variant rows) {
    Message m;
    m.op = Op::Rows;
    m.value = std::move(rows);
    return m;
}

Message ErrorMessage(std::string text) {
    Message m;
    m.op = Op::Error;
    m.text = std::move(text);
    return m;
}

// Layout: a CBOR array led by the operation number.
//   Create [1, progId]            Invoke [2, object, member, kind, [args]]
//   FetchRows [3, object, name]   Release [4, object]
//   Created [16, object]          Result [17, value, [args]]
//   Rows [18, value]              Error [31, text]
std::string EncodeMessage(const Message& m) {
    Encoder e;
    switch (m.op) {
    case Op::Create:
        e.StartArray(2), e.UInt(1), e.Text(m.text);
        break;
    case Op::Invoke:
        e.StartArray(5), e.UInt(2), e.UInt(m.objectId), e.Text(m.text), e.UInt(static_cast<quint64>(m.kind));
        e.Values(m.args);
        break;
    case Op::FetchRows:
        e.StartArray(3), e.UInt(3), e.UInt(m.objectId), e.Text(m.text);
        break;
    case Op::Release:
        e.StartArray(2), e.UInt(4), e.UInt(m.objectId);
        break;
    case Op::Created:
        e.StartArray(2), e.UInt(16), e.UInt(m.objectId);
        break;
    case Op::Result:
        e.StartArray(3), e.UInt(17);
        e.Value(m.value, 0);
        e.Values(m.args);
        break;
    case Op::Rows:
        e.StartArray(2), e.UInt(18);
        e.Value(m.value, 0);
        break;
    case Op::Error:
        e.StartArray(2), e.UInt(31), e.Text(m.text);
        break;
    default: Fail("unknown message kind");
    }
    e.EndArray();
    return e.Bytes();
}

Message DecodeMessage(std::string_view body, int maxNesting) {
    Decoder d(body, maxNesting);
    const auto count = d.EnterArray("a message");
    if (!count || *count < 2) Fail("malformed message");
    Message m;
    const quint64 op = d.UInt(255);
    auto expectCount = [&](std::size_t n) {
        if (*count != n) Fail("malformed message");
    };
    const quint32 maxId = std::numeric_limits<std::uint32_t>::max();
    switch (op) {
    case 1:
        expectCount(2), m.op = Op::Create, m.text = d.Text();
        break;
    case 2:
        expectCount(5), m.op = Op::Invoke;
        m.objectId = static_cast<std::uint32_t>(d.UInt(maxId));
        m.text = d.Text();
        m.kind = static_cast<InvokeKind>(d.UInt(static_cast<quint64>(InvokeKind::Put)));
        m.args = d.Values();
        break;
    case 3:
        expectCount(3), m.op = Op::FetchRows;
        m.objectId = static_cast<std::uint32_t>(d.UInt(maxId));
        m.text = d.Text();
        break;
    case 4:
        expectCount(2), m.op = Op::Release, m.objectId = static_cast<std::uint32_t>(d.UInt(maxId));
        break;
    case 16:
        expectCount(2), m.op = Op::Created, m.objectId = static_cast<std::uint32_t>(d.UInt(maxId));
        break;
    case 17:
        expectCount(3), m.op = Op::Result;
        m.value = d.Value(0);
        m.args = d.Values();
        break;
    case 18:
        expectCount(2), m.op = Op::Rows, m.value = d.Value(0);
        break;
    case 31:
        expectCount(2), m.op = Op::Error, m.text = d.Text();
        break;
    default: Fail("unknown message kind " + std::to_string(op));
    }
    d.LeaveArray();
    d.ExpectEnd();
    return m;
}

// ---- frames -------------------------------------------------------------------------

std::string EncodeFrame(std::string_view body, std::uint32_t maxFrameBytes) {
    if (body.size() > maxFrameBytes) Fail(FrameTooLarge(body.size(), maxFrameBytes));
    const auto n = static_cast<std::uint32_t>(body.size());
    std::string frame;
    frame.reserve(kFrameHeaderBytes + body.size());
    frame.push_back(static_cast<char>((n >> 24) & 0xFF));
    frame.push_back(static_cast<char>((n >> 16) & 0xFF));
    frame.push_back(static_cast<char>((n >> 8) & 0xFF));
    frame.push_back(static_cast<char>(n & 0xFF));
    frame.append(body);
    return frame;
}

std::string EncodeMessageFrame(const Message& message, std::uint32_t maxFrameBytes) {
    return EncodeFrame(EncodeMessage(message), maxFrameBytes);
}

FrameReader::FrameReader(std::uint32_t maxFrameBytes) : max_(maxFrameBytes) {}

void FrameReader::Feed(std::string_view bytes) {
    if (failed_) Fail("the connection's byte stream was already refused");
    buffer_.append(bytes);
    CheckPendingHeader();
}

// Checks every header that has arrived, so an oversized frame is refused as soon
// as its length is known, even behind frames not yet taken.
void FrameReader::CheckPendingHeader() {
    std::size_t pos = start_;
    while (buffer_.size() - pos >= kFrameHeaderBytes) {
        const std::uint32_t n = ReadBigEndian32(buffer_.data() + pos);
        if (n > max_) {
            failed_ = true;
            buffer_.clear();
            buffer_.shrink_to_fit();
            start_ = 0;
            Fail(FrameTooLarge(n, max_));
        }
        if (buffer_.size() - pos - kFrameHeaderBytes < n) return;
        pos += kFrameHeaderBytes + n;
    }
}

std::optional<std::string> FrameReader::Take() {
    if (failed_ || Buffered() < kFrameHeaderBytes) return std::nullopt;
    const std::uint32_t n = ReadBigEndian32(buffer_.data() + start_);
    if (Buffered() - kFrameHeaderBytes < n) return std::nullopt;
    std::string body = buffer_.substr(start_ + kFrameHeaderBytes, n);
    start_ += kFrameHeaderBytes + n;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ > buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    return body;
}

}  // namespace kv::wire
