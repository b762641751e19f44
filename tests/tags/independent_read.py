#!/usr/bin/python3
"""Prints what mutagen, a tag library nobody on this project wrote, finds in an audio file, as JSON."""
import base64
import hashlib
import json
import sys

from mutagen.flac import FLAC, Picture
from mutagen.id3 import ID3, ID3NoHeaderError, ParseID3v1
from mutagen.oggopus import OggOpus
from mutagen.oggvorbis import OggVorbis


def frame_text(frame):
    if frame.FrameID == "COMM":
        return "%s|%s|%s" % (frame.lang, frame.desc, "/".join(frame.text))
    if frame.FrameID == "WXXX":
        return "%s|%s" % (frame.desc, frame.url)
    return "/".join(str(t) for t in frame.text)


def picture_summary(text):
    picture = Picture(base64.b64decode(text))
    return {"type": picture.type, "mime": picture.mime, "desc": picture.desc,
            "md5": hashlib.md5(picture.data).hexdigest(), "size": len(picture.data)}


def comment_summary(tags):
    """Vendor and comments; pictures listed by what they hold rather than as their base64 text."""
    return {
        "vendor": tags.vendor,
        "comments": [[k, v] for k, v in tags if k.upper() != "METADATA_BLOCK_PICTURE"],
        "pictures": [picture_summary(v) for k, v in tags if k.upper() == "METADATA_BLOCK_PICTURE"],
    }


def main(path):
    out = {}
    with open(path, "rb") as f:
        data = f.read()
    if data[:3] == b"ID3":
        try:
            tag = ID3(path, translate=False, load_v1=False)
            out["id3v2"] = {
                "version": "%d.%d" % tag.version[:2],
                # Text, comment and link frames; pictures, private data and the like are left out.
                "frames": {key: frame_text(frame) for key, frame in tag.items()
                           if hasattr(frame, "text") or frame.FrameID == "WXXX"},
            }
        except ID3NoHeaderError:
            pass
    if len(data) > 128 and data[-128:-125] == b"TAG":
        frames = ParseID3v1(data[-128:], v2_version=3) or {}
        out["id3v1"] = {key: frame_text(frame) for key, frame in frames.items()}
    if data[:4] == b"OggS" and b"OpusHead" in data[:200]:
        opus = OggOpus(path)
        out["opus"] = comment_summary(opus.tags)
        out["opus"]["seconds"] = round(opus.info.length, 3)
    elif data[:4] == b"OggS":
        ogg = OggVorbis(path)
        out["ogg"] = comment_summary(ogg.tags)
        out["ogg"]["seconds"] = round(ogg.info.length, 3)
    if b"fLaC" in data[:4] or (data[:3] == b"ID3" and b"fLaC" in data[:1 << 16]):
        flac = FLAC(path)
        out["flac"] = comment_summary(flac.tags) if flac.tags is not None else {}
        out["flac"]["blocks"] = [[block.code, len(block.write())] for block in flac.metadata_blocks]
        out["flac"]["flacPictures"] = [{"md5": hashlib.md5(p.data).hexdigest(), "mime": p.mime} for p in flac.pictures]
        out["flac"]["seconds"] = round(flac.info.length, 3)
    json.dump(out, sys.stdout, ensure_ascii=True, sort_keys=True)


if __name__ == "__main__":
    main(sys.argv[1])
