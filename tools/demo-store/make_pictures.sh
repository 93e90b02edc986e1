#!/bin/sh
# Regenerates the product pictures in pictures/ (240x180 baseline JPEG, one colour scheme
# per product, the product's name written on it). Needs ImageMagick's convert and its
# Ghostscript fonts. The outputs are kept in the repository, so the store never runs this.
set -eu
cd "$(dirname "$0")"
mkdir -p pictures

picture() { # file top-colour bottom-colour text-colour title subtitle
    convert -size 240x180 "gradient:$2-$3" \
        \( -size 220x110 -background none -fill "$4" -font Helvetica-Bold \
           -gravity center "caption:$5" \) -gravity north -geometry +0+18 -composite \
        -fill "$4" -font Helvetica -pointsize 13 -gravity south -annotate +0+14 "$6" \
        -strip -interlace none -quality 88 "pictures/$1"
}

picture skyfall.jpg        '#5aa9e6' '#12355b' white   'Skyfall Tactics'              'Strategy'
picture skyfall2.jpg       '#ff9f1c' '#3d1f5c' white   'Skyfall Tactics II'           'Strategy'
picture harbor.jpg         '#1d3557' '#f1c453' white   'Harbor Lights'                'Puzzle - on sale'
picture harbordlc1.jpg     '#caf0f8' '#0077b6' '#03045e' 'Northern Isles'             'Harbor Lights add-on'
picture harbordlc2.jpg     '#495057' '#023e8a' '#ffd60a' 'Storm Season'               'Harbor Lights add-on'
picture bndl-harbordlc.jpg '#0077b6' '#ffd60a' white   'Harbor Lights Expansion Bundle' '2 add-ons, 25% off'
picture sketchpad.jpg      '#fefae0' '#dda15e' '#283618' 'Sketchpad Pro'              'Graphics'
picture wavecut.jpg        '#06d6a0' '#073b4c' white   'WaveCut Audio Editor'         'Audio'
picture tilemaker.jpg      '#8ac926' '#1982c4' white   'TileMaker Studio'             'Graphics'
picture glyphkit.jpg       '#f8f9fa' '#6c757d' '#212529' 'GlyphKit Font Tools'        'Graphics'
picture bndl-studio.jpg    '#ff595e' '#6a4c93' white   'Creative Studio Bundle'       '2 tools, 20% off'
picture diskmint.jpg       '#b7e4c7' '#2d6a4f' '#081c15' 'DiskMint Cleaner'           'Utilities'
picture quicknote.jpg      '#fff3b0' '#e09f3e' '#540b0e' 'QuickNote Helper'           'Utilities'
picture terrain.jpg        '#a3b18a' '#3a5a40' white   'Terrain Atlas HD'             '3 files'
picture atlasworld.jpg     '#588157' '#344e41' '#dad7cd' 'Terrain Atlas World Data'   '300 MB'
picture palette.jpg        '#ff006e' '#3a86ff' white   'Palette Picker'               'Graphics'
picture nebula.jpg         '#240046' '#000000' '#e0aaff' 'Nebula Engine'              'Beta'
picture lantern.jpg        '#000000' '#403d39' '#fca311' 'Project Lantern'            'Prototype'
picture longname.jpg       '#264653' '#2a9d8f' white   'Ultimate Developer Toolkit'   'Every Tollan utility'
picture cafetycoon.jpg     '#7f5539' '#ede0d4' white   'Cafe Tycoon'                  'Simulation'
picture legacy.jpg         '#adb5bd' '#495057' '#f8f9fa' 'Legacy Product'             'No longer sold'
picture generic.jpg        '#e9ecef' '#adb5bd' '#343a40' 'Tollan Studios'             'Product picture'
