#!/usr/bin/python3
"""Embeds a cover picture of about the given size in an Ogg Vorbis file with mutagen, as another
tagger would (its comment header then spans many pages), and prints the MD5 of the picture's data.
The picture is a real JPEG image of noise, made by ffmpeg, so that players decode it cleanly."""
import base64
import hashlib
import math
import subprocess
import sys

from mutagen.flac import Picture
from mutagen.oggvorbis import OggVorbis


def main(path, size):
    picture = Picture()
    picture.type = 3  # front cover
    picture.mime = "image/jpeg"
    picture.desc = "cover"
    side = max(16, int(500 * math.sqrt(size / 187000)))
    picture.width = picture.height = side
    picture.depth = 24
    picture.data = subprocess.run(
        ["ffmpeg", "-v", "error", "-f", "lavfi", "-i",
         "nullsrc=s=%dx%d,geq=lum='random(1)*255':cb=128:cr=128" % (side, side),
         "-frames:v", "1", "-q:v", "2", "-f", "mjpeg", "-"],
        check=True, capture_output=True).stdout
    ogg = OggVorbis(path)
    ogg["METADATA_BLOCK_PICTURE"] = [base64.b64encode(picture.write()).decode("ascii")]
    ogg.save()
    print(hashlib.md5(picture.data).hexdigest())


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]))
