#include "caches/chromium_sql.h"

#include "caches/cache_files.h"
#include "caches/chromium_key.h"
#include "caches/http_response_info.h"
#include "caches/sparse_ranges.h"
#include "caches/stored_body.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#ifdef _WIN32
// The Windows build of SQLite converts the ANSI code page itself; its open call
// wants UTF-8 and the viewer hands over ANSI paths.
extern "C" char* sqlite3_win32_mbcs_to_utf8_v2(const char*, int);
#endif

namespace {

const int kMaxShards = 256;
const int kMaxHead = 8 << 20;
const size_t kMaxListedFiles = 1 << 16;
const int kBlobChunk = 64 * 1024;

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

std::string ToUtf8Path(const std::string& path)
{
#ifdef _WIN32
    char* converted = sqlite3_win32_mbcs_to_utf8_v2(path.c_str(), 1);
    if (!converted)
        return path;
    std::string utf8 = converted;
    sqlite3_free(converted);
    for (char& c : utf8) {
        if (c == '\\')
            c = '/';
    }
    return (utf8.size() > 1 && utf8[1] == ':') ? "/" + utf8 : utf8;
#else
    return path;
#endif
}

// The path as a file: URI, its reserved characters escaped.
std::string FileUri(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : ToUtf8Path(path)) {
        if (c == '%' || c == '?' || c == '#' || c < 0x20) {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri;
}

// Chromium opens these databases through sql::Database with an exclusive file
// lock on Windows, a rollback journal (`sqldbN-journal`, left empty between
// transactions) or, where its WAL feature is on, `sqldbN-wal`. A viewer must not
// take a lock the browser then trips over, create a journal, or roll a hot
// journal back into the user's cache, so the file is opened read-only as
// immutable: SQLite then takes no lock and reads no journal. The price is that
// an unfinished transaction or pages not yet checkpointed from a WAL are not
// seen, which the reader says per database. While the browser holds its lock
// on Windows the open itself fails, and that is reported too.
Database OpenReadOnly(const std::string& path, std::string& problem)
{
    sqlite3* raw = nullptr;
    std::string uri = FileUri(path) + "?immutable=1";
    int rc = sqlite3_open_v2(uri.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK) {
        problem = std::string("cannot open ") + path + ": " + (raw ? sqlite3_errmsg(raw) : "");
        return nullptr;
    }
    return db;
}

Statement Prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return Statement(statement);
}

bool IsShardName(const std::string& name, int& number)
{
    if (name.size() < 6 || name.size() > 8 || name.compare(0, 5, "sqldb") != 0)
        return false;
    number = 0;
    for (size_t i = 5; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
        number = number * 10 + (name[i] - '0');
    }
    return number < kMaxShards;
}

// length() of a blob is read from the record header, so a head too large to be
// a response info is never loaded.
const char kSelectResources[] = "SELECT res_id, cache_key, "
                                "CASE WHEN length(head) <= 8388608 THEN head END, body_end "
                                "FROM resources WHERE doomed=0 ORDER BY res_id";
// No value the listing reads is near this; a hostile key cannot make SQLite
// allocate more.
const int kMaxListedValue = 16 << 20;
const char kSelectRanges[] = "SELECT blob_id, start, end FROM blobs WHERE res_id=? ORDER BY start";
// The ranges' starts alone come from the index on (res_id, start), read in one
// pass beside the entries: a range's end lies in its row, on the page that holds
// the start of its body, which a listing should not read.
const char kSelectRangeStarts[] = "SELECT res_id, start FROM blobs ORDER BY res_id, start";

// Chromium trims overlapping blobs when it writes, but nothing in the file
// enforces it; a hostile database gets no more than this many rows read per entry.
const size_t kMaxBlobsPerEntry = 1 << 16;

// An entry's blobs as ranges of its body (the blob id as their source), through
// a prepared kSelectRanges (prepared once per database: listing asks it for
// every entry).
SparseLayout BlobLayout(sqlite3_stmt* ranges, int64_t resId)
{
    std::vector<SparseRange> found;
    if (!ranges)
        return SparseLayout();
    sqlite3_reset(ranges);
    sqlite3_bind_int64(ranges, 1, resId);
    while (found.size() < kMaxBlobsPerEntry && sqlite3_step(ranges) == SQLITE_ROW) {
        int64_t start = sqlite3_column_int64(ranges, 1);
        int64_t end = sqlite3_column_int64(ranges, 2);
        if (start < 0 || end <= start)
            continue;
        SparseRange range;
        range.offset = static_cast<uint64_t>(start);
        range.length = static_cast<uint64_t>(end) - static_cast<uint64_t>(start);
        range.source = static_cast<uint64_t>(sqlite3_column_int64(ranges, 0));
        found.push_back(range);
    }
    sqlite3_reset(ranges);
    return LayOutSparseRanges(std::move(found));
}

// Walks kSelectRangeStarts alongside the entries, which come in res_id order too.
class RangeStartCursor {
public:
    struct Starts {
        int64_t count = 0;
        int64_t first = -1;
    };

    void Reset(Statement statement)
    {
        m_statement = std::move(statement);
        m_failed = !m_statement;
        m_hasRow = false;
        m_done = false;
    }
    // False when the index could not be read: the caller asks per entry instead.
    bool For(int64_t resId, Starts& starts)
    {
        starts = Starts();
        while (!m_failed && Current() && m_resId < resId)
            m_hasRow = false;
        while (!m_failed && Current() && m_resId == resId) {
            if (starts.count++ == 0)
                starts.first = m_start;
            m_hasRow = false;
        }
        return !m_failed;
    }

private:
    // The row the cursor stands on, stepping to the next one when it was used.
    bool Current()
    {
        if (m_hasRow || m_done)
            return m_hasRow;
        int rc = sqlite3_step(m_statement.get());
        if (rc == SQLITE_ROW) {
            m_resId = sqlite3_column_int64(m_statement.get(), 0);
            m_start = sqlite3_column_int64(m_statement.get(), 1);
            m_hasRow = true;
        } else {
            m_done = true;
            m_failed = rc != SQLITE_DONE;
        }
        return m_hasRow;
    }

    Statement m_statement;
    bool m_failed = true;
    bool m_hasRow = false;
    bool m_done = false;
    int64_t m_resId = 0;
    int64_t m_start = 0;
};

using SharedDatabase = std::shared_ptr<sqlite3>;

struct BlobCursor {
    SharedDatabase db;
    std::vector<SparseRange> ranges;
    size_t index = 0;
    int64_t done = 0;
    sqlite3_blob* blob = nullptr;
    bool failed = false;
    ~BlobCursor()
    {
        if (blob)
            sqlite3_blob_close(blob);
    }
};

// Reads the ranges a piece at a time through sqlite3_blob, so a large body is
// never held whole in memory.
int64_t ReadBlobs(BlobCursor& cursor, uint8_t* buffer, size_t capacity)
{
    while (!cursor.failed && cursor.index < cursor.ranges.size()) {
        const SparseRange& range = cursor.ranges[cursor.index];
        int64_t length = static_cast<int64_t>(range.length);
        int64_t skip = static_cast<int64_t>(range.skip);
        if (cursor.done >= length) {
            if (cursor.blob)
                sqlite3_blob_close(cursor.blob);
            cursor.blob = nullptr;
            ++cursor.index;
            cursor.done = 0;
            continue;
        }
        if (!cursor.blob) {
            // The row's own length must be what its start and end say.
            if (sqlite3_blob_open(cursor.db.get(), "main", "blobs", "blob",
                                  static_cast<sqlite3_int64>(range.source), 0,
                                  &cursor.blob) != SQLITE_OK ||
                sqlite3_blob_bytes(cursor.blob) != skip + length) {
                cursor.failed = true;
                break;
            }
        }
        int want = static_cast<int>(std::min<int64_t>(
            { static_cast<int64_t>(capacity), length - cursor.done, kBlobChunk }));
        if (sqlite3_blob_read(cursor.blob, buffer, want, static_cast<int>(skip + cursor.done)) !=
            SQLITE_OK) {
            cursor.failed = true;
            break;
        }
        cursor.done += want;
        return want;
    }
    return cursor.failed ? -1 : 0;
}

class SqlReader : public CacheReader {
public:
    SqlReader(std::vector<std::string> shards, std::vector<std::string> notes)
        : m_shards(std::move(shards)), m_notes(std::move(notes))
    {}
    CacheFormat Format() const override { return CacheFormat::ChromiumSql; }
    bool Next(CacheEntry& entry, const CacheStopCheck& stop) override;
    RawBodyReader OpenStoredBody(const CacheEntry& entry) override;

private:
    bool OpenShard();
    SharedDatabase BodyDatabase(const std::string& path);
    void Describe(CacheEntry& entry);
    uint64_t StoredSize(int64_t resId, int64_t bodyEnd, uint64_t& contiguous);

    std::vector<std::string> m_shards;
    std::vector<std::string> m_notes;  // per database: what immutable reading leaves out
    size_t m_shard = 0;
    Database m_db;
    Statement m_rows;
    Statement m_ranges;
    RangeStartCursor m_starts;
    int64_t m_shardSize = 0;
    // Bodies are read through connections of their own, one per database, kept
    // for the next body: opening a database costs far more than reading a body.
    // A body reader shares its connection, so it outlives the reader safely.
    std::map<std::string, SharedDatabase> m_bodyDatabases;
};

bool SqlReader::OpenShard()
{
    m_rows.reset();
    m_ranges.reset();
    m_starts.Reset(nullptr);
    m_db.reset();
    while (m_shard < m_shards.size()) {
        std::string problem;
        m_db = OpenReadOnly(m_shards[m_shard], problem);
        if (m_db) {
            sqlite3_limit(m_db.get(), SQLITE_LIMIT_LENGTH, kMaxListedValue);
            m_rows = Prepare(m_db.get(), kSelectResources);
        }
        if (m_rows) {
            m_ranges = Prepare(m_db.get(), kSelectRanges);
            m_starts.Reset(Prepare(m_db.get(), kSelectRangeStarts));
            m_shardSize = CacheFileSize(m_shards[m_shard]);
            return true;
        }
        m_ranges.reset();
        m_db.reset();
        ++m_skipped;
        ++m_shard;
    }
    return false;
}

void SqlReader::Describe(CacheEntry& entry)
{
    sqlite3_stmt* row = m_rows.get();
    int64_t resId = sqlite3_column_int64(row, 0);
    const unsigned char* key = sqlite3_column_text(row, 1);
    entry.key = key ? reinterpret_cast<const char*>(key) : "";
    ChromiumKey parsed = ParseChromiumKey(entry.key);
    entry.url = parsed.url;
    entry.topLevelSite = parsed.topFrameSite;
    entry.bodyFile = m_shards[m_shard];
    entry.bodyLocator = static_cast<uint64_t>(resId);
    entry.problem = m_notes[m_shard];
    int headSize = sqlite3_column_bytes(row, 2);
    const void* head = sqlite3_column_blob(row, 2);
    std::string problem;
    bool truncated = false;
    if (!head || headSize <= 0 || headSize > kMaxHead ||
        !ParseHttpResponseInfo(static_cast<const uint8_t*>(head), static_cast<size_t>(headSize),
                               entry, problem, &truncated)) {
        entry.problem = problem.empty() ? "no response info" : problem;
        entry.body = BodyAvailability::Unreadable;
        return;
    }
    uint64_t contiguous = 0;
    entry.storedSize = StoredSize(resId, sqlite3_column_int64(row, 3), contiguous);
    entry.body = JudgeStoredBody(entry.contentLength, contiguous,
                                 entry.storedSize > contiguous || truncated);
}

// Chromium writes a body it has whole as one range from 0 to body_end: such an
// entry is judged from the index and its row alone (its blob's own length is
// checked when the body is read). Anything else has its ranges read; range
// requests leave them with gaps, and body_end is then the end of the last.
uint64_t SqlReader::StoredSize(int64_t resId, int64_t bodyEnd, uint64_t& contiguous)
{
    RangeStartCursor::Starts starts;
    contiguous = 0;
    if (m_starts.For(resId, starts)) {
        if (starts.count == 0)
            return 0;
        if (starts.count == 1 && starts.first == 0 && bodyEnd > 0 && bodyEnd <= m_shardSize) {
            contiguous = static_cast<uint64_t>(bodyEnd);
            return contiguous;
        }
    }
    SparseLayout layout = BlobLayout(m_ranges.get(), resId);
    contiguous = layout.contiguous;
    return layout.held;
}

bool SqlReader::Next(CacheEntry& entry, const CacheStopCheck& stop)
{
    while (true) {
        if (stop && stop())
            return false;
        if (!m_rows && !OpenShard())
            return false;
        if (sqlite3_step(m_rows.get()) == SQLITE_ROW) {
            entry = CacheEntry();
            Describe(entry);
            return true;
        }
        m_rows.reset();
        m_ranges.reset();
        m_starts.Reset(nullptr);
        m_db.reset();
        ++m_shard;
    }
}

SharedDatabase SqlReader::BodyDatabase(const std::string& path)
{
    auto found = m_bodyDatabases.find(path);
    if (found != m_bodyDatabases.end())
        return found->second;
    std::string problem;
    Database opened = OpenReadOnly(path, problem);
    if (!opened)
        return nullptr;
    SharedDatabase shared(opened.release(), DatabaseCloser());
    // Only the databases of this cache are ever named, so the map stays small.
    m_bodyDatabases[path] = shared;
    return shared;
}

RawBodyReader SqlReader::OpenStoredBody(const CacheEntry& entry)
{
    auto cursor = std::make_shared<BlobCursor>();
    cursor->db = BodyDatabase(entry.bodyFile);
    if (!cursor->db)
        return [](uint8_t*, size_t) -> int64_t { return -1; };
    SparseLayout layout = BlobLayout(Prepare(cursor->db.get(), kSelectRanges).get(),
                                     static_cast<int64_t>(entry.bodyLocator));
    // The listing may have taken the size from the entry's row: ranges holding
    // less than it make the read fail rather than end early as if complete.
    if (layout.held < entry.storedSize)
        return [](uint8_t*, size_t) -> int64_t { return -1; };
    cursor->ranges = std::move(layout.fromStart);
    return [cursor](uint8_t* buffer, size_t capacity) -> int64_t {
        return capacity == 0 ? 0 : ReadBlobs(*cursor, buffer, capacity);
    };
}

// What the immutable open leaves unread: a hot rollback journal (its header
// still names a transaction) or a WAL with frames.
std::string SkippedByImmutableRead(const std::string& path, const std::string& name)
{
    static const uint8_t kJournalMagic[8] = { 0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7 };
    if (CacheFileSize(path + "-wal") > 0)
        return "recent writes in " + name + "-wal not read";
    CacheFile journal;
    uint8_t header[8];
    if (journal.Open(path + "-journal") && journal.ReadExact(0, header, sizeof(header)) &&
        std::memcmp(header, kJournalMagic, sizeof(header)) == 0)
        return "an unfinished write in " + name + "-journal not rolled back";
    return "";
}

}  // namespace

std::unique_ptr<CacheReader> OpenSqlCache(const std::string& folder, std::string& problem)
{
    std::vector<std::pair<int, std::string>> numbered;
    for (const std::string& name : ListCacheFolder(folder, kMaxListedFiles)) {
        int number = 0;
        if (IsShardName(name, number))
            numbered.emplace_back(number, name);
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> shards, notes;
    for (const auto& item : numbered) {
        shards.push_back(JoinCachePath(folder, item.second));
        notes.push_back(SkippedByImmutableRead(shards.back(), item.second));
    }
    if (shards.empty()) {
        problem = "SQL cache index without databases";
        return nullptr;
    }
    return std::unique_ptr<CacheReader>(new SqlReader(std::move(shards), std::move(notes)));
}
