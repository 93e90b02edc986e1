"""Product files served by the download mirrors.

Each file id has a size (from the seed). Its content is deterministic: a block of
PATTERN_PERIOD bytes derived from the id with SHA-256, repeated to the file's length. The
period is a prime, so a transfer resumed at a wrong offset (off by a buffer size, a power of
two) shows up as different bytes. Files are written into STATE/files/ the first time they
are asked for and kept; the 300 MB benchmark file is therefore written only once.
"""

import hashlib
import os
import threading
from pathlib import Path

PATTERN_PERIOD = 65521
_WRITE_CHUNK = 1 << 20


def pattern_block(file_id: str) -> bytes:
    seed = hashlib.sha256(file_id.encode("utf-8")).digest()
    out = bytearray()
    counter = 0
    while len(out) < PATTERN_PERIOD:
        out += hashlib.sha256(seed + counter.to_bytes(4, "big")).digest()
        counter += 1
    return bytes(out[:PATTERN_PERIOD])


def expected_bytes(file_id: str, offset: int, length: int) -> bytes:
    """The bytes at [offset, offset + length) of the file with this id."""
    block = pattern_block(file_id)
    start = offset % PATTERN_PERIOD
    reps = (start + length) // PATTERN_PERIOD + 1
    return (block * reps)[start:start + length]


class ProductFiles:
    def __init__(self, state_dir, sizes: dict):
        self.folder = Path(state_dir) / "files"
        self.sizes = dict(sizes)
        self._locks = {file_id: threading.Lock() for file_id in self.sizes}

    def size(self, file_id):
        return self.sizes.get(file_id)

    def path(self, file_id) -> Path:
        return self.folder / (file_id + ".bin")

    def ensure(self, file_id) -> Path:
        """Path of the file, generated now if it is missing or of the wrong size."""
        if file_id not in self.sizes:
            raise KeyError(file_id)
        size = self.sizes[file_id]
        path = self.path(file_id)
        with self._locks[file_id]:
            if path.exists() and path.stat().st_size == size:
                return path
            self.folder.mkdir(parents=True, exist_ok=True)
            block = pattern_block(file_id)
            # A run of whole periods a little longer than one write, so that every write
            # is a single slice starting at (offset mod period).
            run = block * (_WRITE_CHUNK // PATTERN_PERIOD + 2)
            tmp = path.with_suffix(".tmp")
            with open(tmp, "wb") as out:
                offset = 0
                while offset < size:
                    n = min(_WRITE_CHUNK, size - offset)
                    start = offset % PATTERN_PERIOD
                    out.write(run[start:start + n])
                    offset += n
            os.replace(tmp, path)
            return path

    def describe(self) -> dict:
        out = {}
        for file_id, size in sorted(self.sizes.items()):
            path = self.path(file_id)
            out[file_id] = {"size": size, "path": str(path),
                            "generated": path.exists() and path.stat().st_size == size}
        return out
