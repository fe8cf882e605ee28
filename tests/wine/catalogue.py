"""The announcement lines as the chat room receives them, in code page 1252."""

PREFIX = b"</b></i><font face=arial><font color=#FF0000>"
LINK = b"< a href=http://zoble.example.com/>d/l zoble here</a>"
BANNER = PREFIX + b"\xba\xb7 zoble idle . vud"
BANNER_LINK = PREFIX + b"\xba\xb7 " + LINK
SIGNATURE = PREFIX + b"\xba. zoble idle . vud"
IDLE_ON = PREFIX + b"\xba. idle = true"
IDLE_OFF = PREFIX + b"\xba. idle = false"
ADVERT = PREFIX + b"\xba. the most electrifying idler on aol"
LINK_LINE = PREFIX + b"\xba. " + LINK


def reason(text: bytes) -> bytes:
    return PREFIX + b"\xba. rsn: [" + text + b"]"
