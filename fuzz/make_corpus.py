#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into fuzz/corpus/<target>/.

Seeds are well-formed inputs of each kind (and a few edge cases), so that a short run starts deep
inside the parsers instead of spending its seconds discovering their framing. Run it again after
changing an input layout; libFuzzer adds what it finds to build-fuzz/corpus/, not here.
"""
import pathlib
import struct

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"


def crc16_modbus(data):
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def with_crc(frame):
    crc = crc16_modbus(frame)
    return bytes(frame) + bytes([crc & 0xFF, crc >> 8])


def write(target, name, data):
    folder = ROOT / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(bytes(data))


def descriptors():
    h = bytes.fromhex
    seeds = {
        # The bridge: 64 vendor bytes in, 64 out, unnumbered.
        "bridge_vendor64": h("0600ff0901a10109011500 26ff00 7508 9540 8102 0901 9540 9102 c0"),
        # The boot keyboard and mouse of the HID class definition's appendix.
        "boot_keyboard": h("05010906a101050719e029e71500250175019508810295017508810195057501"
                           "050819012905910295017503910195067508150025650507190029658100c0"),
        "boot_mouse": h("05010902a1010901a100050919012903150025019503750181029501750581"
                        "01050109300931158125 7f750895028106c0c0"),
        "numbered_two_reports": h("8503 7508 9508 8102 9102 8504 7510 9502 8102"),
        "push_pop": h("8501 a4 7508 9504 8102 b4 9102"),
        "long_item": h("fe0200aabb 7508 9540 8102"),
        "empty": b"",
    }
    for name, data in seeds.items():
        write("fuzz_report_descriptor", name, data)


def bridge_report(data, declared=None):
    """An input report as the reader hands it on: identifier 0, then 64 payload bytes."""
    report = bytearray(65)
    report[3] = len(data) if declared is None else declared
    report[5:5 + len(data)] = data
    return bytes(report)


def report_sequence(*reports):
    out = bytearray()
    for report in reports:
        out.append(len(report))
        out += report
    return bytes(out)


def bridge_reports():
    reply = with_crc([0xFF, 0x03, 0x18] + list(range(24)))
    block = with_crc([0xFF, 0x03, 0xF6] + [i & 0xFF for i in range(246)])
    empty = bridge_report(b"")
    seeds = {
        "one_reply_then_empty": report_sequence(bridge_report(reply), empty),
        "reply_in_five_reports": report_sequence(
            *[bridge_report(block[i:i + 60]) for i in range(0, len(block), 60)], empty),
        "length_claims_more_than_sent": report_sequence(bridge_report(b"\x01\x02", declared=60)[:9], empty),
        "overflowing_frame": report_sequence(*[bridge_report(bytes(60))] * 5, empty),
        "short_reports": report_sequence(b"\x00", b"\x00\x00\x00\x05", empty),
    }
    for name, data in seeds.items():
        write("fuzz_bridge_reports", name, data)


def modbus_case(mode, start, count, frame):
    return bytes([mode]) + struct.pack("<ii", start, count) + bytes(frame)


def modbus_replies():
    registers = [0x12, 0x34] * 12
    seeds = {
        # Mode bits 0-2 pick the pending function (3, 4, 6, 16, 1, 2, 5, none), bit 3 any function,
        # bit 4 echo-cancel, bit 5 plausible ranges, bit 6 address and CRC added by the target.
        "read_holding_12": modbus_case(0x00, 0, 12, with_crc([0xFF, 0x03, 24] + registers)),
        "read_holding_12_framed": modbus_case(0x40, 16, 12, [0x03, 24] + registers),
        "read_input_type_word": modbus_case(0x01, 0, 1, with_crc([0xFF, 0x04, 2, 0x40, 0x53])),
        "write_single_1000": modbus_case(0x02, 1000, 1, with_crc([0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01])),
        "write_block_reply": modbus_case(0x03, 32, 16, with_crc([0xFF, 0x10, 0x00, 0x20, 0x00, 0x10])),
        "read_coils": modbus_case(0x44, 3, 10, [0x01, 2, 0xA5, 0x03]),
        "read_discrete_inputs": modbus_case(0x45, 60, 5, [0x02, 1, 0x1F]),
        "write_single_coil": modbus_case(0x46, 7, 1, [0x05, 0x00, 0x07, 0xFF, 0x00]),
        "exception_reply": modbus_case(0x00, 0, 12, with_crc([0xFF, 0x83, 0x02])),
        "echo_then_reply": modbus_case(
            0x12, 8, 1, with_crc([0xFF, 0x06, 0, 5, 0x12, 0x34]) + with_crc([0xFF, 0x06, 0, 5, 0x12, 0x34])),
        "past_the_image": modbus_case(0x40, 1020, 12, [0x03, 24] + registers),
        "idle_master": modbus_case(0x07, 0, 0, with_crc([0xFF, 0x03, 2, 0, 1])),
    }
    for name, data in seeds.items():
        write("fuzz_modbus_replies", name, data)


def param_file(type_word, alarms=True):
    image = bytearray(200)
    magic = b"[QV7] File V1.0-RKWB"
    image[0] = len(magic)
    image[1:1 + len(magic)] = magic
    struct.pack_into("<I", image, 24, type_word)
    struct.pack_into("<I", image, 28, 0x0102)   # input configuration
    struct.pack_into("<H", image, 44, 9999)     # display high
    struct.pack_into("<h", image, 46, -1999)    # display low
    if alarms:
        for alarm in range(4):
            struct.pack_into("<hH", image, 64 + 6 * alarm, 100 * (alarm + 1), alarm)
    return bytes(image)


def param_files():
    seeds = {
        # The target expects the file's own type word, or one bit off it when the last byte is odd.
        "five_choice_indicator": param_file(0x4053),
        "thermocouple_indicator": param_file(0x0210, alarms=False),
        "other_type_word": param_file(0x4053)[:-1] + b"\x01",
        "longer_than_200": param_file(0x4053) + b"tail",
        "short": param_file(0x4053)[:120],
        "bad_magic_length": b"\x13" + param_file(0x4053)[1:],
    }
    for name, data in seeds.items():
        write("fuzz_param_file", name, data)


def lin_text(points, count=None, newline="\r\n", comma=False):
    """A linearisation file as the editor writes it: header, count, an X and a Y line per point, END."""
    lines = ["; /* SEG", "; g\xe9n\xe9rateur de segment de lin\xe9arisation", ";",
             "Nb_Seg\t\t.equ %d" % (len(points) if count is None else count), "TABpoint:"]
    for i, (x, y) in enumerate(points):
        for axis, value in (("X", x), ("Y", y)):
            text = value if isinstance(value, str) else "%.2f" % value
            lines.append("\t\t.float\t%s\t\t; %s %d" % (text.replace(".", ",") if comma else text, axis, i))
    lines.append("END")
    return (newline.join(lines) + newline).encode("latin-1")


def lin_files():
    curve = [(0, 0), (25, 12.5), (50, 40.25), (75, 80), (100, 100)]
    seeds = {
        "five_points": lin_text(curve),
        "decimal_commas": lin_text(curve, comma=True),
        "count_mismatch": lin_text(curve, count=7),
        "line_feeds_only": lin_text(curve, newline="\n"),
        "blank_line_ends_the_table": lin_text(curve[:2]) + b"\r\n" + lin_text(curve[2:]),
        "one_point": lin_text(curve[:1]),
        # Many values share a line here: a seed of editor lines would be 18 KB, and libFuzzer's
        # inputs grow to the largest seed, which slows every run.
        "too_many_points": b"Nb_Seg .equ 362\n" + b".float 1;" * 724 + b"\nEND\n",
        "signs_blanks_and_exponents": lin_text([("-5", " -1.5"), ("1E2", "+2.5e1")]),
    }
    for name, data in seeds.items():
        write("fuzz_lin_file", name, data)


def measurements():
    """Tables of measured pairs; the first byte also picks the fitter's point budget."""
    import math
    tank = "".join("%d;%s\n" % (i, ("%.4f" % (100 * (t - math.sin(t)) / (2 * math.pi))).replace(".", ","))
                   for i, t in ((i, 2 * math.acos(1 - 2 * i / 100)) for i in range(0, 101, 2)))
    seeds = {
        "header_and_commas": "input,output\n0,0\n25,50\n50,70.7\n75,86.6\n100,100\n",
        "tank_semicolons_decimal_commas": "# level; volume\n" + tank,
        "tabs_crlf_unsorted": "10\t20\r\n0\t0\r\n\r\n5,5\t9,25\r\n100\t100\r\n",
        "duplicate_and_contradiction": "1,1\n2,4\n1,1\n2,5\n",
        "bounds_and_exponents": "-25,125\n1e2,-2.5E1\n+3,4\n",
        "noisy_steps": "".join("%d.%d,%d\n" % (i // 10, i % 10, (i * 37) % 11) for i in range(400)),
    }
    for name, data in seeds.items():
        write("fuzz_measurements", name, data.encode())


if __name__ == "__main__":
    measurements()
    descriptors()
    bridge_reports()
    modbus_replies()
    param_files()
    lin_files()
