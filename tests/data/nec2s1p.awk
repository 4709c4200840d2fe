# Turns the printout of nec2c into a one-port Touchstone file: the feed
# point impedance at each frequency, normalised to 50 ohm. The comment line
# names the model: awk -v title="..." (the 20 m dipole unless given).
BEGIN {
    if (title == "")
        title = "a 20 m half-wave dipole modelled with nec2c (dipole20m.nec)"
    print "! Feed point of " title
    print "# MHz Z RI R 50"
}
/FREQUENCY :/ { mhz = $3 }
/ANTENNA INPUT PARAMETERS/ { getline; getline; getline
    printf "%.6g %.8g %.8g\n", mhz, $7 / 50, $8 / 50 }
