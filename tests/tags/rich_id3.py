#!/usr/bin/python3
"""Rich ID3v2 tags, as today's taggers write them, and an independent look at their frames.

  rich_id3.py make FILE VERSION   gives FILE (an MP3) an ID3v2.VERSION tag through mutagen with a
                                  cover picture, lyrics, a described comment, ReplayGain and
                                  MusicBrainz TXXX frames, album artist, part of set, popularimeter,
                                  private, unique-file-id and an unknown frame, plus an ID3v1 tag
  rich_id3.py frames FILE         prints, as JSON, each frame of the ID3v2 tag in file order as
                                  [id, md5 of its flags and data], then where the audio starts and
                                  ends (the ID3v1 trailer left out), and the md5 of the audio
"""
import hashlib
import json
import struct
import sys

from mutagen.id3 import (APIC, COMM, ID3, POPM, PRIV, TALB, TCON, TIT2, TPE1, TPE2, TPOS, TRCK, TXXX,
                         UFID, USLT, Frames)


def make(path, version):
    tags = ID3()
    tags.add(TIT2(encoding=3, text="Rich Title"))
    tags.add(TPE1(encoding=3, text="Rich Artist"))
    tags.add(TALB(encoding=3, text="Rich Album"))
    tags.add(TRCK(encoding=3, text="4/12"))
    tags.add(TCON(encoding=3, text="Rock"))
    tags.add(APIC(encoding=3, mime="image/jpeg", type=3, desc="cover", data=bytes(range(256)) * 40))
    tags.add(USLT(encoding=3, lang="eng", desc="", text="Line one\nLine two"))
    tags.add(COMM(encoding=3, lang="eng", desc="iTunNORM", text=" 0000031C 00000000"))
    tags.add(COMM(encoding=3, lang="deu", desc="", text="Ein Kommentar"))
    tags.add(TXXX(encoding=3, desc="REPLAYGAIN_TRACK_GAIN", text="-6.54 dB"))
    tags.add(TXXX(encoding=3, desc="REPLAYGAIN_TRACK_PEAK", text="0.987654"))
    tags.add(TXXX(encoding=3, desc="MusicBrainz Album Id", text="6b2b4d1a-0000-4000-8000-000000000001"))
    tags.add(TPE2(encoding=3, text="Album Artist Ω"))
    tags.add(TPOS(encoding=3, text="1/2"))
    tags.add(POPM(email="player@example.org", rating=196, count=12))
    tags.add(PRIV(owner="WM/MediaClassPrimaryID", data=b"\x01\x02\x03\x04"))
    tags.add(UFID(owner="http://musicbrainz.org", data=b"4e3b2a10-0000-4000-8000-000000000002"))
    if version == 3:
        tags.add(Frames["TYER"](encoding=1, text="1999"))
    else:
        tags.add(Frames["TDRC"](encoding=3, text="1999-05-01"))
    tags.save(path, v2_version=version, v1=2)
    # A frame no tagger knows, put in by hand at the end of the frames.
    with open(path, "rb") as f:
        data = f.read()
    size = syncsafe_decode(data[6:10])
    unknown_data = b"\x00some private bytes"
    size_field = syncsafe_encode(len(unknown_data)) if version == 4 else struct.pack(">I", len(unknown_data))
    unknown = b"XZZY" + size_field + b"\x00\x00" + unknown_data
    frames_end = frames_of(data)[1]
    new_body = data[10:frames_end] + unknown + data[frames_end:10 + size]
    with open(path, "wb") as f:
        f.write(data[:6] + syncsafe_encode(len(new_body)) + new_body + data[10 + size:])


def syncsafe_decode(b):
    return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]


def syncsafe_encode(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def frames_of(data):
    """The frames of the tag at the start of data, and where they end."""
    if data[:3] != b"ID3":
        return [], 0
    version = data[3]
    end = 10 + syncsafe_decode(data[6:10])
    pos = 10
    out = []
    while pos + 10 <= end and data[pos:pos + 1].isalpha() and data[pos:pos + 1].isupper():
        fid = data[pos:pos + 4].decode("latin-1")
        size = syncsafe_decode(data[pos + 4:pos + 8]) if version == 4 else struct.unpack(">I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 10 + size]
        out.append([fid, hashlib.md5(body).hexdigest()])
        pos += 10 + size
    return out, pos


def main():
    if sys.argv[1] == "make":
        make(sys.argv[2], int(sys.argv[3]))
        return
    with open(sys.argv[2], "rb") as f:
        data = f.read()
    frames, _ = frames_of(data)
    start = 10 + syncsafe_decode(data[6:10]) if data[:3] == b"ID3" else 0
    end = len(data) - 128 if len(data) > 128 and data[-128:-125] == b"TAG" else len(data)
    json.dump({"frames": frames, "audio": hashlib.md5(data[start:end]).hexdigest()}, sys.stdout)


if __name__ == "__main__":
    main()
