#!/usr/bin/env python3
# Writes the seed inputs of the fuzz targets into this folder (fuzz/corpus/<target>/); run it again
# after changing an input format. Each seed is a small, well-formed input that leads a target past
# its first checks, so the fuzzer starts from the deeper paths instead of finding them byte by byte.
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def sj(text):
    return text.encode("cp932")


# fuzz_cp932: [width] bytes.
write("fuzz_cp932", "kanji", b"\x0c" + sj("大井 1R 逃先中後"))
write("fuzz_cp932", "halfwidth", b"\x05" + sj("ｶﾀｶﾅ") + b"abc")
write("fuzz_cp932", "cut_lead_byte", b"\x03" + sj("年月日")[:5])

# fuzz_settings: [section][key] value NUL file.
write("fuzz_settings", "file", b"\x00\x00C:/data\x00[locate]\r\ntop=12\r\nleft=3\r\n[Dir]\r\nquillet=abc\r\n")
write("fuzz_settings", "number", b"\x05\x05 -15 \x00[Time]\r\nAutoOzGet=1\r\n")

# fuzz_feed: record files as replayed.
write("fuzz_feed", "records", b"RA1" + b" " * 20 + b"\r\nSE1" + b" " * 20 + b"\r\n\r\nO1\n")

# fuzz_records: byte 0 odd: a record of the kind byte 1 picks with the rest laid from position 3.
key = b"202405120" + b"2024051244030501"
for k, kind in enumerate(["RA", "SE", "HR", "O1", "O6"]):
    write("fuzz_records", "shaped_" + kind, bytes([1, k]) + key + b"1 0112" + b" " * 12 + b"03")
write("fuzz_records", "raw_RA", b"\x00RA7" + key + b" " * 40 + b"\r\n")

# fuzz_day_load: one length byte per store file (200: keep), then edits
# [file][record][offset low][offset high][count] + count bytes, offsets within the record.
KEEP = bytes([200] * 9)
RA, RUNNERS, HR, O1, O6, COMPI, PAST_RUNS, PAST_RACE, PAST_DAY = range(9)


def edit(file, record, offset, data):
    return bytes([file, record, offset & 0xFF, offset >> 8, len(data)]) + data


write("fuzz_day_load", "keep", KEEP)
write("fuzz_day_load", "cut", bytes([200, 40, 200, 63, 10, 200, 30, 200, 0]))
write("fuzz_day_load", "race", KEEP + edit(RA, 1, 873, b"0930") + edit(RA, 1, 881, b"18") + edit(RA, 0, 19, b"05"))
write("fuzz_day_load", "runners", KEEP + edit(RUNNERS, 1, 334, b"0201") + edit(RUNNERS, 2, 351, b"01020304"))
write("fuzz_day_load", "payouts", KEEP + edit(HR, 0, 102, b"02  00000099001") + edit(HR, 1, 141, b"03  000000120"))
write("fuzz_day_load", "odds", KEEP + edit(O1, 0, 45, b"00120045----") + edit(O1, 1, 269, b"****0015"))
write("fuzz_day_load", "past_runs", KEEP + edit(PAST_RUNS, 0, 11, b"20240510") + edit(PAST_RACE, 0, 881, b"16"))
write("fuzz_day_load", "compi", KEEP + edit(COMPI, 0, 14, b" 2 999 100"))
