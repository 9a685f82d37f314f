#include "protect/cipher.h"

#include <cstring>
#include <set>

#include "runtime/os.h"
#include "runtime/paths.h"
#include "state/version.h"
#include "zip/zip.h"

namespace {

constexpr size_t kChunk = 1 << 16;

// RC4 as published: the key schedule over at most 256 password bytes, taken as 0 to 255, then
// the keystream from its first byte on.
class Rc4 {
  public:
    explicit Rc4(const std::string& password) {
        for (int k = 0; k < 256; ++k) s_[k] = static_cast<unsigned char>(k);
        const size_t length = password.size();
        unsigned j = 0;
        for (int k = 0; k < 256; ++k) {
            const unsigned key =
                length ? static_cast<unsigned char>(password[static_cast<size_t>(k) % length]) : 0;
            j = (j + s_[k] + key) & 255;
            std::swap(s_[k], s_[j]);
        }
    }
    void apply(unsigned char* data, size_t length) {
        for (size_t p = 0; p < length; ++p) {
            i_ = (i_ + 1) & 255;
            j_ = (j_ + s_[i_]) & 255;
            std::swap(s_[i_], s_[j_]);
            data[p] ^= s_[(s_[i_] + s_[j_]) & 255];
        }
    }

  private:
    unsigned char s_[256];
    unsigned i_ = 0, j_ = 0;
};

// The first `count` bytes of `path`; fewer when it is shorter or cannot be read.
std::string first_bytes(const std::string& path, size_t count) {
    std::string bytes(count, '\0');
    os::File* file = os::open_file(path, os::OpenMode::kRead);
    const int64_t got = file ? os::read_file(file, &bytes[0], count) : 0;
    os::close_file(file);
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return bytes;
}

// A plain ZIP archive starts with one of its records: a local header, an empty archive's end
// record, or the mark of a split archive.
bool starts_with_zip_record(const std::string& path) {
    const std::string head = first_bytes(path, 4);
    return head == std::string("PK\x03\x04", 4) || head == std::string("PK\x05\x06", 4) ||
           head == std::string("PK\x07\x08", 4);
}

// An archive behind a stub (a self-extractor's program, a script) starts with other bytes, but
// holds an end record and a directory that agree with each other.
bool holds_zip_directory(const std::string& path) {
    ZipEngine probe;
    return zip_open(probe, path) == kZipOk && zip_directory_consistent(probe);
}

// Writes every byte of `from` over the first bytes of the existing file `to`, which is as long.
bool overwrite_in_place(const std::string& from, const std::string& to) {
    os::File* in = os::open_file(from, os::OpenMode::kRead);
    os::File* out = in ? os::open_file(to, os::OpenMode::kReadWrite) : nullptr;
    bool ok = out && os::file_size(in) == os::file_size(out);
    std::string buffer(kChunk, '\0');
    int64_t got = 0;
    while (ok && (got = os::read_file(in, &buffer[0], kChunk)) > 0)
        ok = os::write_file(out, buffer.data(), static_cast<size_t>(got));
    ok = ok && got == 0 && os::flush_file(out);
    os::close_file(in);
    os::close_file(out);
    return ok;
}

// Writes the transform of `archive` beside it and puts it in the archive's place; `accept` may
// refuse the result first. False, with the archive as it was, on any failure or refusal.
//
// A folder that takes no new files (or a disk without room for a second copy) does not keep a
// protected archive from being opened: the transform is then written in the private temporary
// folder and, once complete and accepted, over the archive's own bytes, as many as it has. Should
// that write fail, the archive's former bytes, kept there as well, are written back.
template <typename Accept>
bool transform_in_place(ArchiveContext& ctx, const std::string& password, Accept accept) {
    const std::string& archive = ctx.state.archive_path();
    const std::string beside = unused_path(archive + ".~mlx");
    if (!beside.empty() && cipher_file(archive, password, beside)) {
        if (accept(beside) && os::replace_file(beside, archive)) return true;
        os::delete_file(beside);
        return false;
    }
    const std::string folder = ctx.temp_files.create_private_folder(os::temp_folder(), "marlox_");
    if (folder.empty()) return false;
    const std::string work = folder + "transformed", former = folder + "former";
    bool done = cipher_file(archive, password, work) && accept(work) &&
                os::copy_file(archive, former, true);
    if (done && !overwrite_in_place(work, archive)) {
        overwrite_in_place(former, archive);
        done = false;
    }
    remove_tree(folder);
    return done;
}

}  // namespace

void cipher_buffer(unsigned char* data, size_t length, const std::string& password) {
    Rc4(password).apply(data, length);
}

bool cipher_file(const std::string& source, const std::string& password,
                 const std::string& target) {
    os::File* in = os::open_file(source, os::OpenMode::kRead);
    if (!in) return false;
    os::File* out = os::open_file(target, os::OpenMode::kCreate);
    if (!out) {
        os::close_file(in);
        return false;
    }
    Rc4 cipher(password);
    std::string buffer(kChunk, '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(&buffer[0]);
    bool ok = true;
    int64_t got;
    while (ok && (got = os::read_file(in, bytes, kChunk)) != 0) {
        ok = got > 0;
        if (!ok) break;
        cipher.apply(bytes, static_cast<size_t>(got));
        ok = os::write_file(out, bytes, static_cast<size_t>(got));
    }
    ok = ok && os::flush_file(out) && os::file_size(out) == os::file_size(in);
    os::close_file(in);
    os::close_file(out);
    if (!ok) os::delete_file(target);
    return ok;
}

bool encipher_archive(ArchiveContext& ctx, const std::string& password) {
    return transform_in_place(ctx, password, [](const std::string&) { return true; });
}

PasswordAnswer decipher_attempt(ArchiveContext& ctx, const std::string& password) {
    bool wrong = false;
    const bool deciphered = transform_in_place(ctx, password, [&](const std::string& plain) {
        wrong = !starts_with_zip_record(plain);
        return !wrong;
    });
    if (deciphered) {
        ctx.program.stored_password = {password, ctx.state.archive_path()};
        return PasswordAnswer::kRight;
    }
    if (!wrong) return PasswordAnswer::kUnreadable;
    ctx.view.set_title(ctx.messages.message(29) + " V" + kVersion + " - ");
    return PasswordAnswer::kWrong;
}

bool check_enciphered(ArchiveContext& ctx) {
    const std::string& path = ctx.state.archive_path();
    if (file_size_of(path) <= 1 || first_bytes(path, 2) == "PK" || holds_zip_directory(path))
        return true;
    const bool deciphered = ctx.view.run_decipher_dialog(
        [&](const std::string& password) { return decipher_attempt(ctx, password); });
    if (!deciphered) ctx.state.close_archive();
    return deciphered;
}

std::string stored_password_for_open_archive(const ArchiveContext& ctx) {
    const StoredPassword& stored = ctx.program.stored_password;
    const bool applies = !stored.password.empty() && !ctx.state.archive_path().empty() &&
                         same_path(stored.archive, ctx.state.archive_path());
    return applies ? stored.password : std::string();
}

void protect_again_at_exit(ArchiveContext& ctx) {
    const std::string password = stored_password_for_open_archive(ctx);
    if (password.empty()) return;
    const MessageTable& m = ctx.messages;
    if (!ask_to_protect(ctx, m.message(183) + "\n\n" + m.message(184) + "\n")) return;
    if (!encipher_archive(ctx, password)) show_encipher_failed(ctx);
}

bool ask_to_protect(ArchiveContext& ctx, const std::string& rest) {
    return ctx.prompter.ask(ctx.messages.message(178), ctx.messages.message(179) + "\n\n" + rest,
                            BoxIcon::kWarning);
}

void show_encipher_failed(ArchiveContext& ctx) {
    const MessageTable& m = ctx.messages;
    ctx.prompter.show(m.message(42), m.message(181) + "\n" + m.message(182), BoxIcon::kError);
}

int password_strength(const std::string& password) {
    std::set<char> counted;
    for (char c : password) {
        if (c >= 33 && c <= 64) counted.insert(c);
    }
    return 5 * static_cast<int>(password.size()) + 5 * static_cast<int>(counted.size());
}
