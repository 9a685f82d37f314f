// Protecting a ZIP archive with a password: the whole file enciphered with RC4, keyed directly
// by the password's bytes (at most 256 of them count), without header, salt or check value; the
// enciphered file is exactly as long as the plain one, and the same transform deciphers it. It
// keeps casual eyes out; it is not strong encryption. A file is taken as enciphered when it does
// not start with "PK" and holds no ZIP directory behind a prefix (zip_directory_consistent), and
// a password as right when the result starts with a ZIP record signature ("PK" and 03 04, 05 06
// or 07 08).
//
// While an archive is worked on it is plain on disk: opening a protected archive deciphers it
// in place after the right password and keeps that password for it (ProgramState's stored
// password, never used for any other archive), and the program offers to protect it again at
// exit. Every rewrite of the archive goes to a new file beside it, which takes the archive's
// place in one rename only when it was written in full; a failure leaves the archive as it was.
// Where no new file can be made beside it, the rewrite is made in the private temporary folder
// and then written over the archive's own bytes, as many as it has.
#ifndef MARLOX_PROTECT_CIPHER_H
#define MARLOX_PROTECT_CIPHER_H

#include <cstddef>
#include <string>

#include "state/archive_context.h"

// `cipher_buffer`: the RC4 transform of `length` bytes at `data`, in place, with a key schedule
// built from `password` for this call.
void cipher_buffer(unsigned char* data, size_t length, const std::string& password);

// `cipher_file`: writes the transform of the file `source` to `target` (created or truncated).
// True only when every byte was read and written and the target closed without error; on
// false a target it made is removed.
bool cipher_file(const std::string& source, const std::string& password, const std::string& target);

// `encipher_archive`: protects the file at ctx.state.archive_path() in place; false, with the
// file as it was, when that failed.
bool encipher_archive(ArchiveContext& ctx, const std::string& password);

// `decipher_attempt`: deciphers the archive with `password`. Right: the archive is plain in
// place and the password stored for it. Wrong: the file stays as it was and the title names no
// archive (message 29, " V", the version, " - "). Unreadable: the file could not be read or the
// plain form not put in its place; nothing changed.
PasswordAnswer decipher_attempt(ArchiveContext& ctx, const std::string& password);

// `check_enciphered`: the listing's step before it opens a ZIP archive. A file of more than one
// byte that does not start with "PK", and is no archive behind a prefix (a self-extracting stub)
// whose end record and directory agree, is protected: the decipher dialog asks for its password
// (ArchiveView::run_decipher_dialog). True: go on (plain, or deciphered now); false: the
// dialog was cancelled and the listing lists nothing.
bool check_enciphered(ArchiveContext& ctx);

// The stored password when it belongs to the open archive; empty otherwise.
std::string stored_password_for_open_archive(const ArchiveContext& ctx);

// The exit step: with a password stored for the open archive, asks whether to protect it again
// (title message 178; messages 179, 183 and 184; Yes/No) and on Yes does; a failure shows
// messages 181 and 182 under title 42.
void protect_again_at_exit(ArchiveContext& ctx);

// The question whether to protect the open archive: title message 178, message 179, an empty
// line and `rest`; Yes/No, warning icon. True on Yes.
bool ask_to_protect(ArchiveContext& ctx, const std::string& rest);

// The encipher failure box: messages 181 and 182 under title 42, error icon.
void show_encipher_failed(ArchiveContext& ctx);

// `password_strength`: 5 for each character, and 5 for each different character from "!" to
// "@" (the digits and the punctuation of that range) it holds; 100 and above is a full bar.
int password_strength(const std::string& password);

#endif
