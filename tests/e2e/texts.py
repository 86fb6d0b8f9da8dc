"""The texts that the typing tests and the typing benchmark type."""
import random

PUNCTUATION = "!@#$%^&*()_+{}|:\"<>?~-=[]\\;',./`"
UNICODE_LINE = "Grüße, señor: 5 € für Ω-Café, ß und ñ; é ü ß € Ω ñ.\n"


def ascii_text(length=3000, seed=1207):
    """Lower and upper case, digits, punctuation, blanks and line breaks, in a fixed order."""
    rng = random.Random(seed)
    pools = ["abcdefghijklmnopqrstuvwxyz"] * 4 + ["ABCDEFGHIJKLMNOPQRSTUVWXYZ", "0123456789",
                                                   PUNCTUATION, PUNCTUATION, "  ", "\n"]
    out = []
    while len(out) < length:
        out.append(rng.choice(rng.choice(pools)))
    return "".join(out)
