#!/usr/bin/python3
"""Replaces the Vorbis comments of an Ogg Vorbis, Ogg Opus or FLAC file with mutagen, as another
tagger would: the comments given as a JSON list of [name, value] pairs, in that order. A pair named
METADATA_BLOCK_PICTURE with an empty value stands for a cover picture: a picture comment there in an
Ogg file, a picture block in a FLAC file. A FLAC file also gets a seek table in front of its
comments, and an application block, a cue sheet and a block of a type nobody defined after them."""
import base64
import json
import struct
import sys

from mutagen.flac import (FLAC, CueSheet, CueSheetTrack, CueSheetTrackIndex, MetadataBlock, Picture, SeekPoint,
                          SeekTable)
from mutagen.oggopus import OggOpus
from mutagen.oggvorbis import OggVorbis

# A one-pixel PNG.
PNG = base64.b64decode(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGP4z8AAAAMBAQDJ/pLvAAAAAElFTkSuQmCC")


def picture():
    p = Picture()
    p.type = 3
    p.mime = "image/png"
    p.desc = "cover"
    p.width = p.height = 1
    p.depth = 24
    p.data = PNG
    return p


def block(code, data):
    b = MetadataBlock(data)
    b.code = code
    return b


def tag_flac(path, pairs):
    flac = FLAC(path)
    flac.tags.clear()
    flac.tags.extend((k, v) for k, v in pairs if k != "METADATA_BLOCK_PICTURE")
    seektable = SeekTable(None)
    seektable.seekpoints = [SeekPoint(0, 0, 4096)]
    cuesheet = CueSheet(None)
    cuesheet.compact_disc = False
    cuesheet.lead_in_samples = 0
    # One track and the lead-out, as a player that reads cue sheets for chapters expects.
    track = CueSheetTrack(1, 0, isrc=b"")
    track.indexes.append(CueSheetTrackIndex(1, 0))
    cuesheet.tracks = [track, CueSheetTrack(170, flac.info.total_samples, isrc=b"")]
    comments = flac.metadata_blocks.index(flac.tags)
    flac.metadata_blocks.insert(comments, seektable)
    after = [block(2, b"swtk" + struct.pack(">I", 0x5EED)), cuesheet, block(9, b"unknown data")]
    if any(k == "METADATA_BLOCK_PICTURE" for k, _ in pairs):
        after.insert(1, picture())
    flac.metadata_blocks[comments + 2:comments + 2] = after
    flac.save()


def tag_ogg(path, pairs):
    ogg = OggOpus(path) if open(path, "rb").read(64).find(b"OpusHead") >= 0 else OggVorbis(path)
    ogg.tags.clear()
    cover = base64.b64encode(picture().write()).decode("ascii")
    ogg.tags.extend((k, cover if k == "METADATA_BLOCK_PICTURE" and not v else v) for k, v in pairs)
    ogg.save()


def main(path, pairs):
    if open(path, "rb").read(4) == b"fLaC":
        tag_flac(path, pairs)
    else:
        tag_ogg(path, pairs)


if __name__ == "__main__":
    main(sys.argv[1], json.loads(sys.argv[2]))
